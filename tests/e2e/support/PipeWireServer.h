#pragma once

#include <map>
#include <memory>
#include <string>

#include "ChildProcess.h"
#include "SoundServer.h"

namespace vorlune::test {

// A private PipeWire with WirePlumber and pipewire-pulse (as most desktops run today), with a
// session bus of its own for WirePlumber, living in `folder`, with the null sinks A ("SinkA", the
// default) and B ("SinkB") as the private PulseAudio has them. Recorders (parec) are never moved
// to another device when theirs goes, so a recording holds only what its device carried.
class PipeWireServer final : public SoundServer {
  public:
    explicit PipeWireServer(const std::string& folder);
    ~PipeWireServer() override;
    PipeWireServer(const PipeWireServer&) = delete;
    PipeWireServer& operator=(const PipeWireServer&) = delete;

    bool Ready() const override { return ready_; }
    std::string Kind() const override { return "PipeWire"; }
    std::string Log() const override;
    bool Restart() override;
    // pipewire-pulse has no module-sine-source: a fed microphone with a sine played into it.
    bool AddSineMicrophone(const std::string& source, int frequency) override;

  private:
    bool Start();
    void Stop();

    std::string folder_;
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> pipewire_;
    std::unique_ptr<ChildProcess> wireplumber_;
    std::unique_ptr<ChildProcess> pulse_;
    std::map<std::string, std::unique_ptr<ChildProcess>> feeds_;
    bool ready_ = false;
};

}  // namespace vorlune::test
