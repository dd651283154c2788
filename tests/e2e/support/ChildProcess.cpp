#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

extern char** environ;

namespace vorlune::test {
namespace {

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

std::vector<std::string> ChangedEnvironment(
    const std::map<std::string, std::optional<std::string>>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        if (!changes.contains(name)) {
            env.push_back(entry);
        }
    }
    for (const auto& [name, value] : changes) {
        if (value) {
            env.push_back(name + "=" + *value);
        }
    }
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& args, const Options& options) {
    std::vector<std::string> argTexts = args;
    std::vector<std::string> envTexts = ChangedEnvironment(options.environment);
    std::vector<char*> argv = Pointers(argTexts);
    std::vector<char*> envp = Pointers(envTexts);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!options.outputPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, options.outputPath.c_str(),
                                         O_WRONLY | O_CREAT | (options.append ? O_APPEND : O_TRUNC),
                                         0600);
        if (options.stderrToo) {
            posix_spawn_file_actions_adddup2(&actions, 1, 2);
        }
    }
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // A session of its own: the test's terminal signals do not reach it, and Stop() can end
    // everything it started by its group id, which equals its process id.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    if (posix_spawnp(&pid_, argv[0], &actions, &attr, argv.data(), envp.data()) != 0) {
        pid_ = -1;
    }
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
    Stop();
}

bool ChildProcess::Running() {
    if (pid_ <= 0 || exitCode_) {
        return false;
    }
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
        exitCode_ = ExitCodeOf(status);
        return false;
    }
    return done == 0;
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (Running()) {
        if (std::chrono::steady_clock::now() > end) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return exitCode_;
}

void ChildProcess::Stop() {
    if (pid_ <= 0) {
        return;
    }
    if (Running()) {
        ::kill(-pid_, SIGTERM);
        if (!WaitForExit(std::chrono::seconds(3))) {
            ::kill(-pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            exitCode_ = ExitCodeOf(status);
        }
    }
    // Whatever the process left behind in its group goes too.
    ::kill(-pid_, SIGKILL);
    pid_ = -1;
}

}  // namespace vorlune::test
