#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vorlune::test {

// A process started in a session of its own and stopped by its process id when this goes away.
class ChildProcess {
  public:
    struct Options {
        // Standard output (and, with stderrToo, standard error) go to this file when not empty.
        std::string outputPath;
        bool stderrToo = false;
        // Add to the end of outputPath instead of starting it afresh.
        bool append = false;
        // Changes to this process's environment: a value sets, no value removes.
        std::map<std::string, std::optional<std::string>> environment;
    };

    ChildProcess(const std::vector<std::string>& args, const Options& options);
    explicit ChildProcess(const std::vector<std::string>& args) : ChildProcess(args, Options{}) {}
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // Still running (not yet collected).
    bool Running();

    // The exit code once the process has ended within the limit (128 + signal number when a
    // signal ended it).
    std::optional<int> WaitForExit(std::chrono::milliseconds limit);

    // SIGTERM to the process's session group, SIGKILL when it lingers; collects it.
    void Stop();

  private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
};

}  // namespace vorlune::test
