#include "audio/PlaybackStream.h"

#include <algorithm>
#include <cmath>

namespace vorlune {

namespace {

// Decoded audio held ahead of the device, and what Open decodes before it returns.
constexpr double kRingSeconds = 0.5;
constexpr std::size_t kFirstBlockFrames = 2048;
// A volume change is spread over this long so it does not click.
constexpr double kRampSeconds = 0.005;

}  // namespace

std::shared_ptr<PlaybackStream> PlaybackStream::Open(const std::string& path, OutputFormat output,
                                                     std::size_t maxCallbackFrames) {
    auto decoder = StreamDecoder::Open(path, output);
    if (!decoder) {
        return nullptr;
    }
    std::shared_ptr<PlaybackStream> stream(
        new PlaybackStream(std::move(decoder), output, maxCallbackFrames));
    if (!stream->Rewind()) {
        return nullptr;
    }
    return stream;
}

PlaybackStream::PlaybackStream(std::unique_ptr<StreamDecoder> decoder, OutputFormat output,
                               std::size_t maxCallbackFrames)
    : output_(output),
      ring_(static_cast<std::size_t>(output.rate * kRingSeconds) *
            static_cast<std::size_t>(output.channels)),
      decoder_(std::move(decoder)),
      scratch_(std::max<std::size_t>(maxCallbackFrames, 256) *
               static_cast<std::size_t>(output.channels)),
      rampStep_(static_cast<float>(1.0 / std::max(1.0, output.rate * kRampSeconds))) {}

void PlaybackStream::Play() {
    state_.store(kPlaying, std::memory_order_release);
}

bool PlaybackStream::Pause() {
    int expected = kPlaying;
    return state_.compare_exchange_strong(expected, kPaused, std::memory_order_acq_rel);
}

void PlaybackStream::Stop() {
    int current = state_.load(std::memory_order_acquire);
    while (current != kEnded &&
           !state_.compare_exchange_weak(current, kIdle, std::memory_order_acq_rel)) {
    }
}

ChannelState PlaybackStream::State() const {
    switch (state_.load(std::memory_order_acquire)) {
        case kPlaying:
            // Out of decoded audio with more still to come: the decoder has fallen behind.
            if (!drained_.load(std::memory_order_acquire) && ring_.Readable() == 0) {
                return ChannelState::Stalled;
            }
            return ChannelState::Playing;
        case kPaused:
            return ChannelState::Paused;
        default:
            return ChannelState::Stopped;
    }
}

bool PlaybackStream::IsRunning() const {
    return state_.load(std::memory_order_acquire) == kPlaying;
}

bool PlaybackStream::Rewind() {
    std::lock_guard lock(decodeMutex_);
    if (!decoder_->Rewind()) {
        return false;
    }
    ring_.Clear();
    drained_.store(false, std::memory_order_release);
    heardSound_ = false;
    firstSoundTicks_.store(0, std::memory_order_release);
    while (ring_.Readable() < kFirstBlockFrames * static_cast<std::size_t>(output_.channels) &&
           !decoder_->Drained()) {
        decoder_->Pump(ring_);
    }
    damaged_.store(decoder_->Damaged(), std::memory_order_release);
    drained_.store(decoder_->Drained(), std::memory_order_release);
    if (ring_.Readable() == 0) {
        return false;
    }
    int expected = kEnded;
    state_.compare_exchange_strong(expected, kIdle, std::memory_order_acq_rel);
    return true;
}

void PlaybackStream::CopyHistory(std::span<float, kHistoryFrames> out) const {
    std::lock_guard lock(historyMutex_);
    const std::size_t tail = kHistoryFrames - historyPos_;
    std::copy_n(history_.begin() + static_cast<std::ptrdiff_t>(historyPos_), tail, out.begin());
    std::copy_n(history_.begin(), historyPos_, out.begin() + static_cast<std::ptrdiff_t>(tail));
}

std::optional<PlaybackStream::Clock::time_point> PlaybackStream::FirstSoundTime() const {
    const std::int64_t ticks = firstSoundTicks_.load(std::memory_order_acquire);
    if (ticks == 0) {
        return std::nullopt;
    }
    return Clock::time_point(Clock::duration(ticks));
}

bool PlaybackStream::NeedsData() const {
    return !drained_.load(std::memory_order_acquire) &&
           state_.load(std::memory_order_acquire) != kEnded &&
           ring_.Writable() >= ring_.Capacity() / 4;
}

bool PlaybackStream::WantsAttention() const {
    return NeedsData() || (!drained_.load(std::memory_order_acquire) && IsRunning());
}

void PlaybackStream::Feed() {
    std::lock_guard lock(decodeMutex_);
    FillLocked();
}

void PlaybackStream::FillLocked() {
    while (!decoder_->Drained()) {
        if (decoder_->Pump(ring_) == 0 && !decoder_->Drained()) {
            break;  // the ring is full
        }
    }
    damaged_.store(decoder_->Damaged(), std::memory_order_release);
    drained_.store(decoder_->Drained(), std::memory_order_release);
}

void PlaybackStream::MixInto(float* out, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(output_.channels);
    const std::size_t chunkFrames = scratch_.size() / channels;
    while (frames > 0 && state_.load(std::memory_order_acquire) == kPlaying) {
        const std::size_t want = std::min(frames, chunkFrames);
        // Read drained_ before the ring: everything was written to the ring before it was set.
        const bool drained = drained_.load(std::memory_order_acquire);
        const std::size_t got =
            ring_.Read(std::span<float>(scratch_).first(want * channels)) / channels;
        if (got == 0) {
            if (drained) {
                int expected = kPlaying;
                state_.compare_exchange_strong(expected, kEnded, std::memory_order_acq_rel);
            }
            return;
        }
        const float target = volume_.load(std::memory_order_relaxed);
        if (!gainStarted_) {
            gain_ = target;
            gainStarted_ = true;
        }
        for (std::size_t f = 0; f < got; ++f) {
            if (gain_ != target) {
                gain_ = gain_ < target ? std::min(target, gain_ + rampStep_)
                                       : std::max(target, gain_ - rampStep_);
            }
            for (std::size_t c = 0; c < channels; ++c) {
                const float sample = scratch_[f * channels + c];
                if (!heardSound_ && sample != 0.0F) {
                    heardSound_ = true;
                    firstSoundTicks_.store(Clock::now().time_since_epoch().count(),
                                           std::memory_order_release);
                }
                out[f * channels + c] += sample * gain_;
            }
        }
        RecordHistory(scratch_.data(), got);
        out += got * channels;
        frames -= got;
    }
}

void PlaybackStream::RecordHistory(const float* samples, std::size_t frames) {
    // The interface thread holds this lock only to copy 512 floats; rather than wait, this
    // period's samples are left out of the spectrum.
    std::unique_lock lock(historyMutex_, std::try_to_lock);
    if (!lock.owns_lock()) {
        return;
    }
    const auto channels = static_cast<std::size_t>(output_.channels);
    const float scale = 1.0F / static_cast<float>(channels);
    for (std::size_t f = 0; f < frames; ++f) {
        float sum = 0.0F;
        for (std::size_t c = 0; c < channels; ++c) {
            sum += samples[f * channels + c];
        }
        history_[historyPos_] = sum * scale;
        historyPos_ = (historyPos_ + 1) % kHistoryFrames;
    }
}

}  // namespace vorlune
