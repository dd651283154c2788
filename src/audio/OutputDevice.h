#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/PlaybackStream.h"
#include "audio/StreamDecoder.h"

namespace vorlune {

// One open output of the audio system with the streams created on it. Its callback mixes the
// playing streams; the device is paused while none of them plays, so an idle output costs no
// processor time, yet it stays open so the next sound starts within one period.
class OutputDevice {
  public:
    // name: the output's name as listed, or nullptr for the system's default.
    static std::unique_ptr<OutputDevice> Open(const char* name, int frequency, int periodFrames);
    ~OutputDevice();
    OutputDevice(const OutputDevice&) = delete;
    OutputDevice& operator=(const OutputDevice&) = delete;

    [[nodiscard]] OutputFormat Format() const { return format_; }
    [[nodiscard]] std::size_t PeriodFrames() const { return periodFrames_; }
    // The audio system reports the output gone (unplugged, server away).
    [[nodiscard]] bool Lost() const;

    void Attach(std::shared_ptr<PlaybackStream> stream);
    // Returns the stream so that the caller releases it outside the mixing lock.
    std::shared_ptr<PlaybackStream> Detach(const PlaybackStream* stream);
    // Lets a callback that is mixing finish; none starts while fn runs.
    template <typename Fn>
    void WithMixingHeld(Fn fn) {
        std::lock_guard lock(mixMutex_);
        fn();
    }
    // Pauses the output when none of its streams plays, and runs it when one does.
    void UpdateRunning();

  private:
    OutputDevice();
    static void Callback(void* self, std::uint8_t* bytes, int length);
    void Mix(float* out, std::size_t frames);

    std::uint32_t id_ = 0;
    OutputFormat format_;
    std::size_t periodFrames_ = 0;
    bool running_ = false;
    // The callback holds it while it mixes; the interface thread only to add or remove a stream.
    std::mutex mixMutex_;
    std::vector<std::shared_ptr<PlaybackStream>> streams_;
};

}  // namespace vorlune
