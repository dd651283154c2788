#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/AudioEngine.h"
#include "audio/SampleRing.h"
#include "audio/StreamDecoder.h"

namespace vorlune {

// One file stream on an output device. Three threads share it, each through its own methods:
// the user-interface thread (creation, play state, volume, spectrum), the feeder thread (Feed)
// and the device's audio callback (MixInto). The callback never waits: it reads the ring and
// atomics, and skips the spectrum copy when the interface thread is reading it.
class PlaybackStream {
  public:
    static constexpr std::size_t kHistoryFrames = 512;
    using Clock = std::chrono::steady_clock;

    // Opens the file and decodes its first block, so the first audio period after Play carries
    // sound. nullptr when the file cannot be opened or yields no audio at all.
    static std::shared_ptr<PlaybackStream> Open(const std::string& path, OutputFormat output,
                                                std::size_t maxCallbackFrames);

    // Interface thread.
    void Play();
    bool Pause();
    void Stop();
    ChannelState State() const;
    bool IsRunning() const;  // playing or stalled
    void SetVolume(float level) { volume_.store(level, std::memory_order_relaxed); }
    // Back to the first frame. The stream must not be in the callback meanwhile: the caller
    // stops it and waits out a running callback first.
    bool Rewind();
    // The last kHistoryFrames frames handed to the device, oldest first, mono, before volume.
    void CopyHistory(std::span<float, kHistoryFrames> out) const;
    std::optional<Clock::time_point> FirstSoundTime() const;
    // The decoder has reached the end of the file: the rest is in the ring.
    bool FullyDecoded() const { return drained_.load(std::memory_order_acquire); }
    // The file's data ended early with a read or decode error.
    bool Damaged() const { return damaged_.load(std::memory_order_acquire); }

    // Feeder thread: whether the ring has room and the file has more, and filling it.
    bool NeedsData() const;
    bool WantsAttention() const;  // still being played through and not fully decoded
    void Feed();

    // Audio callback: adds up to frames frames of this stream, at its volume, to out.
    void MixInto(float* out, std::size_t frames);

  private:
    enum PlayState : int { kIdle, kPlaying, kPaused, kEnded };

    PlaybackStream(std::unique_ptr<StreamDecoder> decoder, OutputFormat output,
                   std::size_t maxCallbackFrames);
    void FillLocked();
    void RecordHistory(const float* samples, std::size_t frames);

    OutputFormat output_;
    SampleRing ring_;
    std::mutex decodeMutex_;
    std::unique_ptr<StreamDecoder> decoder_;  // under decodeMutex_
    std::atomic<bool> drained_{false};
    std::atomic<bool> damaged_{false};
    std::atomic<int> state_{kIdle};
    std::atomic<float> volume_{1.0F};

    // Callback only.
    std::vector<float> scratch_;
    float gain_ = 1.0F;
    bool gainStarted_ = false;
    float rampStep_;
    bool heardSound_ = false;

    std::atomic<std::int64_t> firstSoundTicks_{0};

    mutable std::mutex historyMutex_;
    std::array<float, kHistoryFrames> history_{};
    std::size_t historyPos_ = 0;
};

}  // namespace vorlune
