#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "audio/OutputSystem.h"

namespace vorlune {

// Outputs for tests, in place of the sound server: devices the test plugs in and pulls out, a
// default that moves, a server that goes away and comes back. Every open output has a thread of
// its own that asks its source for one period at a time, paced like a sound card (or faster),
// and rests when nothing plays. What each device was given is kept, so a test can listen to it.
class FakeOutputSystem final : public OutputSystem {
  public:
    struct Options {
        // The time one period takes; real time when not set.
        std::optional<std::chrono::microseconds> periodTime;
        // Keep the samples each device was given (costs memory: off for long runs).
        bool record = false;
        // Play a period only when the test lets it (Step) instead of on a clock, so what a
        // device is handed does not hang on how the threads happen to be scheduled.
        bool stepped = false;
    };

    // Starts with one device, "fake" named "Fake Output", which is the default.
    FakeOutputSystem() : FakeOutputSystem(Options{}) {}
    explicit FakeOutputSystem(Options options);
    ~FakeOutputSystem() override;
    FakeOutputSystem(const FakeOutputSystem&) = delete;
    FakeOutputSystem& operator=(const FakeOutputSystem&) = delete;

    // The sound system's side, callable from any thread.
    void Plug(const std::string& id, const std::string& name);
    // Pulls a device out: outputs kept to it are lost, the default output moves to the next
    // default, or is lost when no device is left.
    void Unplug(const std::string& id);
    void SetDefault(const std::string& id);
    // The whole server goes (every output is lost, nothing is listed) or comes back.
    void SetServerRunning(bool running);
    // The first channel of everything device `id` was given so far (with `record`).
    [[nodiscard]] std::vector<float> Played(const std::string& id) const;
    // How many outputs are open now (not closed by their owner), lost ones included.
    [[nodiscard]] int OpenOutputs() const;
    // Outputs opened on device `id` from now on fail at once (lost as soon as they are open),
    // as a device does whose streams the server refuses.
    void FailOpens(const std::string& id);
    // With `stepped`: every open output that plays (or was told to start) plays `periods` more
    // periods; returns once they are played or the output has come to rest. Call it on the
    // thread that closes the outputs (the test's), never while an output is being closed.
    void Step(std::size_t periods = 1);

    [[nodiscard]] OutputListing Outputs() const override;
    [[nodiscard]] std::string DriverName() const override { return "fake"; }
    std::unique_ptr<OutputStream> Open(const std::string& id, int rate, std::size_t periodFrames,
                                       std::shared_ptr<OutputSource> source) override;
    void SetChangeListener(std::function<void()> listener) override;

    struct Shared;

  private:
    void Changed();

    std::shared_ptr<Shared> shared_;
    std::mutex listenerMutex_;
    std::function<void()> listener_;
};

}  // namespace vorlune
