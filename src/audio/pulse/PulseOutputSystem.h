#pragma once

#include <chrono>
#include <memory>

#include "audio/OutputSystem.h"

namespace vorlune {

// The outputs of a PulseAudio server (PipeWire desktops serve the same protocol): its sinks,
// listed by their descriptions, each opened output a playback stream of its own. One thread of
// the client library talks to the server. The interface thread reads the listing that thread
// keeps and hands it requests through a queue, so it never waits for the server, and it never
// takes the client library's lock.
//
// An output rests by being left without sound: the server stops the stream once it has played
// what it was given, and neither side does anything until the next sound is written. A device
// that goes away takes its output with it; the default output moves with the server's default.
// When the server itself goes away every output is lost and the connection is tried again every
// second, so a restarted server is found again by itself.
class PulseOutputSystem final : public OutputSystem {
  public:
    // Connects, and waits up to `firstListing` for the server's first list of sinks, so that
    // the program starts with its outputs known. Without a server it goes on at once and keeps
    // trying in the background.
    explicit PulseOutputSystem(std::chrono::milliseconds firstListing = std::chrono::seconds(2));
    ~PulseOutputSystem() override;
    PulseOutputSystem(const PulseOutputSystem&) = delete;
    PulseOutputSystem& operator=(const PulseOutputSystem&) = delete;

    [[nodiscard]] OutputListing Outputs() const override;
    [[nodiscard]] std::string DriverName() const override { return "pulseaudio"; }
    std::unique_ptr<OutputStream> Open(const std::string& id, int rate, std::size_t periodFrames,
                                       std::shared_ptr<OutputSource> source) override;
    void SetChangeListener(std::function<void()> listener) override;

    struct Impl;

  private:
    std::shared_ptr<Impl> impl_;
};

}  // namespace vorlune
