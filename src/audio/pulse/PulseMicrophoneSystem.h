#pragma once

#include <chrono>
#include <memory>

#include "audio/MicrophoneSystem.h"

namespace vorlune {

// The virtual microphone made of a PulseAudio server's own modules (pipewire-pulse serves the
// same ones): a null sink the board plays to, a source remapped from that sink's monitor with
// the class of a real microphone, and a loopback from the chosen microphone into the sink.
// Every module carries the mark in its arguments, so that what a killed program left behind is
// unloaded at the next connection before anything new is made.
//
// One thread of the client library talks to the server, as for the outputs: the interface
// thread hands it the wish through a queue and reads the listing and status it keeps, so it
// never waits for the server. When the server goes away the connection is tried again every
// second and the virtual microphone is made again once it is back.
class PulseMicrophoneSystem final : public MicrophoneSystem {
  public:
    // Connects, and waits up to `firstListing` for the server's first list of capture devices.
    // Without a server it goes on at once and keeps trying in the background.
    explicit PulseMicrophoneSystem(
        std::chrono::milliseconds firstListing = std::chrono::seconds(2));
    // Takes the virtual microphone down and gives the default capture device back, waiting for
    // the server at most `kEndingLimit`: the program is ending.
    ~PulseMicrophoneSystem() override;
    PulseMicrophoneSystem(const PulseMicrophoneSystem&) = delete;
    PulseMicrophoneSystem& operator=(const PulseMicrophoneSystem&) = delete;

    static constexpr std::chrono::milliseconds kEndingLimit{2000};

    [[nodiscard]] MicrophoneListing Microphones() const override;
    void Apply(const VirtualMicrophoneWish& wish) override;
    [[nodiscard]] VirtualMicrophoneStatus Status() const override;
    void SetChangeListener(std::function<void()> listener) override;

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace vorlune
