#pragma once

#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "audio/OutputSystem.h"
#include "audio/PlaybackStream.h"

namespace vorlune {

// The streams created on one output, mixed together whenever the output asks for sound. The
// output's thread mixes; the interface thread adds and removes streams. Each holds the lock only
// for its own short step, so neither ever waits for more than the other's hand-off.
class OutputMixer final : public OutputSource {
  public:
    explicit OutputMixer(int channels);

    void Attach(std::shared_ptr<PlaybackStream> stream);
    // Returns the stream so that the caller releases it outside the lock.
    std::shared_ptr<PlaybackStream> Detach(const PlaybackStream* stream);
    // Lets a mix that is under way finish; none starts while fn runs.
    template <typename Fn>
    void WithMixingHeld(Fn fn) {
        std::lock_guard lock(mutex_);
        fn();
    }
    // Interface thread: whether one of the streams is being played through.
    [[nodiscard]] bool AnyRunning() const;

    // Output thread.
    bool Mix(std::span<float> out) override;

  private:
    int channels_;
    std::mutex mutex_;
    // Changed by the interface thread only, under the lock; read by it without.
    std::vector<std::shared_ptr<PlaybackStream>> streams_;
};

}  // namespace vorlune
