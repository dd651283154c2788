#include "audio/OutputDevice.h"

#include <SDL.h>

#include <algorithm>

namespace vorlune {

namespace {

constexpr std::size_t kMaxStreams = 64;

}  // namespace

std::unique_ptr<OutputDevice> OutputDevice::Open(const char* name, int frequency,
                                                 int periodFrames) {
    std::unique_ptr<OutputDevice> device(new OutputDevice());
    SDL_AudioSpec want{};
    want.freq = frequency > 0 ? frequency : 44100;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(std::clamp(periodFrames, 64, 8192));
    want.callback = &OutputDevice::Callback;
    want.userdata = device.get();
    SDL_AudioSpec have{};
    // The device opens paused, so the callback cannot run before the fields below are set.
    device->id_ = SDL_OpenAudioDevice(
        name, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (device->id_ == 0 || have.channels == 0 || have.freq <= 0) {
        return nullptr;
    }
    device->format_ = OutputFormat{have.freq, have.channels};
    device->periodFrames_ = have.samples > 0 ? have.samples : want.samples;
    // Idle, the device is held rather than paused: SDL feeds a paused device silence all the
    // time, while a held one leaves its audio thread asleep until the next sound.
    SDL_LockAudioDevice(device->id_);
    SDL_PauseAudioDevice(device->id_, 0);
    return device;
}

OutputDevice::OutputDevice() {
    streams_.reserve(kMaxStreams);
}

OutputDevice::~OutputDevice() {
    if (id_ != 0) {
        if (!running_) {
            SDL_UnlockAudioDevice(id_);  // closing waits for the audio thread
        }
        SDL_CloseAudioDevice(id_);
    }
}

bool OutputDevice::Lost() const {
    return SDL_GetAudioDeviceStatus(id_) == SDL_AUDIO_STOPPED;
}

void OutputDevice::Attach(std::shared_ptr<PlaybackStream> stream) {
    std::lock_guard lock(mixMutex_);
    streams_.push_back(std::move(stream));
}

std::shared_ptr<PlaybackStream> OutputDevice::Detach(const PlaybackStream* stream) {
    std::shared_ptr<PlaybackStream> removed;
    std::lock_guard lock(mixMutex_);
    auto it = std::find_if(streams_.begin(), streams_.end(),
                           [stream](const auto& s) { return s.get() == stream; });
    if (it != streams_.end()) {
        removed = std::move(*it);
        streams_.erase(it);
    }
    return removed;
}

void OutputDevice::UpdateRunning() {
    // Only this thread changes streams_, so reading it here needs no lock.
    const bool anyPlaying =
        std::any_of(streams_.begin(), streams_.end(), [](const auto& s) { return s->IsRunning(); });
    if (anyPlaying != running_) {
        running_ = anyPlaying;
        if (anyPlaying) {
            SDL_UnlockAudioDevice(id_);
        } else {
            SDL_LockAudioDevice(id_);
        }
    }
}

void OutputDevice::Callback(void* self, std::uint8_t* bytes, int length) {
    auto* device = static_cast<OutputDevice*>(self);
    auto* out = reinterpret_cast<float*>(bytes);
    const std::size_t samples = static_cast<std::size_t>(length) / sizeof(float);
    std::fill_n(out, samples, 0.0F);
    device->Mix(out, samples / static_cast<std::size_t>(device->format_.channels));
}

void OutputDevice::Mix(float* out, std::size_t frames) {
    {
        std::lock_guard lock(mixMutex_);
        for (const auto& stream : streams_) {
            stream->MixInto(out, frames);
        }
    }
    const std::size_t samples = frames * static_cast<std::size_t>(format_.channels);
    for (std::size_t i = 0; i < samples; ++i) {
        out[i] = std::clamp(out[i], -1.0F, 1.0F);
    }
}

}  // namespace vorlune
