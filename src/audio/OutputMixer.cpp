#include "audio/OutputMixer.h"

#include <algorithm>

#include "audio/SharedList.h"

namespace vorlune {

namespace {

constexpr std::size_t kMaxStreams = 64;

}  // namespace

OutputMixer::OutputMixer(int channels) : channels_(std::max(channels, 1)) {
    streams_.reserve(kMaxStreams);
}

void OutputMixer::Attach(std::shared_ptr<PlaybackStream> stream) {
    std::lock_guard lock(mutex_);
    streams_.push_back(std::move(stream));
}

std::shared_ptr<PlaybackStream> OutputMixer::Detach(const PlaybackStream* stream) {
    std::lock_guard lock(mutex_);
    return TakeOut(streams_, stream);
}

bool OutputMixer::AnyRunning() const {
    return std::any_of(streams_.begin(), streams_.end(),
                       [](const auto& s) { return s->IsRunning(); });
}

bool OutputMixer::Mix(std::span<float> out) {
    std::fill(out.begin(), out.end(), 0.0F);
    const std::size_t frames = out.size() / static_cast<std::size_t>(channels_);
    bool any = false;
    {
        std::lock_guard lock(mutex_);
        for (const auto& stream : streams_) {
            if (stream->IsRunning()) {
                any = true;
                stream->MixInto(out.data(), frames);
            }
        }
    }
    for (float& sample : out) {
        sample = std::clamp(sample, -1.0F, 1.0F);
    }
    return any;
}

}  // namespace vorlune
