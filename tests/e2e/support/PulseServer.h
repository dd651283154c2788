#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "SoundServer.h"

namespace vorlune::test {

// A private PulseAudio server with the null sinks A ("SinkA", the default) and B ("SinkB"),
// living in `folder`. It points this process's environment (PULSE_SERVER and friends) at
// itself, so children such as the program and parec use it. Sinks can be unloaded and loaded
// (a headset pulled out and plugged in), and the server can be restarted on the same socket.
class PulseServer final : public SoundServer {
  public:
    // `withoutModules` (e.g. "module-remap-source") are left out of the modules the server can
    // load, as on a system whose PulseAudio lacks them.
    explicit PulseServer(const std::string& folder,
                         const std::vector<std::string>& withoutModules = {});
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool Ready() const override { return ready_; }
    std::string Kind() const override { return "PulseAudio"; }
    std::string Log() const override;
    // A module-sine-source.
    bool AddSineMicrophone(const std::string& source, int frequency) override;

    // Removes a null sink as if its card were unplugged; adds one (at the end of the list) as
    // if it were plugged in, with `description` as the name players show.
    bool Unload(const std::string& sink);
    bool Load(const std::string& sink, const std::string& description);
    bool SetDefault(const std::string& sink);
    // The descriptions of the sinks in the server's order.
    std::vector<std::string> Descriptions() const;
    // The playback streams as `pactl list sink-inputs` shows them: the name of the sink each
    // plays on, and whether it is corked.
    struct SinkInput {
        std::string sink;
        bool corked = false;
    };
    std::vector<SinkInput> SinkInputs() const;
    // Every playback stream there is corked (or there is none), so every sink may sleep.
    bool AllCorked() const;

    // Stops the server (by its process id) and starts it again on the same socket with sinks
    // A and B; true once it answers again.
    bool Restart() override;

  private:
    bool Start();

    std::string folder_;
    std::string modules_;
    std::unique_ptr<ChildProcess> server_;
    bool ready_ = false;
};

}  // namespace vorlune::test
