#pragma once

#include <memory>
#include <string>

#include "ChildProcess.h"

namespace vorlune::test {

// A private PulseAudio server with the null sinks A ("SinkA", the default) and B ("SinkB"),
// living in `folder`. It points this process's environment (PULSE_SERVER and friends,
// SDL_AUDIODRIVER=pulseaudio) at itself, so children such as the program and parec use it.
class PulseServer {
  public:
    explicit PulseServer(const std::string& folder);
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool Ready() const { return ready_; }
    // The server's log, for failure messages.
    std::string Log() const;

    // Removes sink B as if its card were unplugged.
    bool UnplugB();

  private:
    std::string folder_;
    std::unique_ptr<ChildProcess> server_;
    bool ready_ = false;
};

}  // namespace vorlune::test
