#include "audio/SdlAudioEngine.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

#include "audio/Fft512.h"
#include "audio/OutputDevice.h"
#include "audio/OutputDeviceList.h"
#include "audio/PlaybackStream.h"
#include "audio/StreamFeeder.h"

namespace vorlune {

namespace {

// The key of an output opened as "the default" when the default is no listed output.
constexpr int kUnlistedDefault = kDefaultDevice;

}  // namespace

struct SdlAudioEngine::Impl {
    struct Stream {
        std::shared_ptr<PlaybackStream> playback;
        int device = 0;
    };

    explicit Impl(SdlAudioEngineOptions opts) : options(opts), feeder(opts.feedInterval) {}

    // SDL's audio is started on first use and retried while it fails (no audio server yet).
    bool EnsureSdl() const {
        if (!sdlStarted) {
            // The program handles its own signals; SDL must not turn them into quit events.
            SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
            SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Vorlune");
            sdlStarted = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        }
        return sdlStarted;
    }

    const Stream* Find(StreamHandle handle) const {
        auto it = streams.find(handle);
        return it == streams.end() ? nullptr : &it->second;
    }

    OutputDevice* DeviceOf(const Stream& stream) const {
        auto it = devices.find(stream.device);
        return it == devices.end() ? nullptr : it->second.get();
    }

    // A stream whose output went away is treated as ended.
    bool Usable(const Stream& stream) const {
        const OutputDevice* device = DeviceOf(stream);
        return device != nullptr && !device->Lost();
    }

    void Release(StreamHandle handle) {
        auto it = streams.find(handle);
        if (it == streams.end()) {
            return;
        }
        const PlaybackStream* raw = it->second.playback.get();
        if (OutputDevice* device = DeviceOf(it->second)) {
            device->Detach(raw);
            device->UpdateRunning();
        }
        feeder.Remove(raw);
        streams.erase(it);
    }

    SdlAudioEngineOptions options;
    mutable bool sdlStarted = false;
    mutable OutputDeviceList list;
    std::map<int, std::unique_ptr<OutputDevice>> devices;
    std::optional<int> current;
    std::unordered_map<StreamHandle, Stream> streams;
    StreamHandle lastHandle = 0;
    mutable Fft512 fft;
    // Declared last so it stops (and lets go of the streams) before anything above is gone.
    StreamFeeder feeder;
};

SdlAudioEngine::SdlAudioEngine(SdlAudioEngineOptions options)
    : impl_(std::make_unique<Impl>(options)) {}

SdlAudioEngine::~SdlAudioEngine() {
    impl_->streams.clear();
    impl_->devices.clear();
    if (impl_->sdlStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

bool SdlAudioEngine::Init(int device, int frequency, std::uint32_t /*flags*/) {
    if (device == 0 || device < kDefaultDevice || !impl_->EnsureSdl()) {
        return false;
    }
    int key = device;
    if (device == kDefaultDevice) {
        key = impl_->list.DefaultDevice().value_or(kUnlistedDefault);
    } else if (device > impl_->list.Count()) {
        return false;
    }
    if (impl_->devices.contains(key)) {
        return false;
    }
    const std::optional<std::string> name = impl_->list.Name(key);
    auto output =
        OutputDevice::Open(name ? name->c_str() : nullptr, frequency, impl_->options.periodFrames);
    if (!output) {
        return false;
    }
    impl_->devices[key] = std::move(output);
    impl_->current = key;
    return true;
}

bool SdlAudioEngine::Free() {
    if (!impl_->current) {
        return false;
    }
    const int key = *impl_->current;
    std::vector<StreamHandle> gone;
    for (const auto& [handle, stream] : impl_->streams) {
        if (stream.device == key) {
            gone.push_back(handle);
        }
    }
    for (StreamHandle handle : gone) {
        impl_->Release(handle);
    }
    impl_->devices.erase(key);
    impl_->current.reset();
    return true;
}

std::optional<int> SdlAudioEngine::CurrentDevice() const {
    return impl_->current;
}

std::optional<DeviceInfo> SdlAudioEngine::GetDeviceInfo(int device) const {
    if (device < 1 || !impl_->EnsureSdl()) {
        return std::nullopt;
    }
    std::optional<std::string> name = impl_->list.Name(device);
    if (!name) {
        return std::nullopt;
    }
    DeviceInfo info;
    info.name = std::move(*name);
    const char* driver = SDL_GetCurrentAudioDriver();
    info.driver = driver != nullptr ? driver : "";
    info.flags = kDeviceEnabled;
    if (impl_->list.DefaultDevice() == device) {
        info.flags |= kDeviceDefault;
    }
    if (impl_->devices.contains(device)) {
        info.flags |= kDeviceOpen;
    }
    return info;
}

StreamHandle SdlAudioEngine::CreateStreamFile(const std::string& path) {
    if (!impl_->current || path.empty()) {
        return 0;
    }
    OutputDevice& device = *impl_->devices.at(*impl_->current);
    if (device.Lost()) {
        return 0;
    }
    auto playback = PlaybackStream::Open(path, device.Format(), device.PeriodFrames());
    if (!playback) {
        return 0;
    }
    const StreamHandle handle = ++impl_->lastHandle;
    device.Attach(playback);
    impl_->feeder.Add(playback);
    impl_->streams.emplace(handle, Impl::Stream{std::move(playback), *impl_->current});
    return handle;
}

bool SdlAudioEngine::ChannelPlay(StreamHandle handle, bool restart) {
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr || !impl_->Usable(*stream)) {
        return false;
    }
    OutputDevice& device = *impl_->DeviceOf(*stream);
    if (restart) {
        stream->playback->Stop();
        device.WithMixingHeld([] {});
        if (!stream->playback->Rewind()) {
            return false;
        }
    }
    stream->playback->Play();
    device.UpdateRunning();
    impl_->feeder.Wake();
    return true;
}

bool SdlAudioEngine::ChannelPause(StreamHandle handle) {
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr || !impl_->Usable(*stream) || !stream->playback->Pause()) {
        return false;
    }
    impl_->DeviceOf(*stream)->UpdateRunning();
    return true;
}

bool SdlAudioEngine::ChannelStop(StreamHandle handle) {
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr) {
        return false;
    }
    stream->playback->Stop();
    if (OutputDevice* device = impl_->DeviceOf(*stream)) {
        device->UpdateRunning();
    }
    return true;
}

ChannelState SdlAudioEngine::ChannelIsActive(StreamHandle handle) const {
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr || !impl_->Usable(*stream)) {
        return ChannelState::Stopped;
    }
    const ChannelState state = stream->playback->State();
    if (state == ChannelState::Stopped) {
        // The stream ended in the callback: let the output rest if nothing else plays.
        impl_->DeviceOf(*stream)->UpdateRunning();
    }
    return state;
}

bool SdlAudioEngine::StreamFree(StreamHandle handle) {
    if (impl_->Find(handle) == nullptr) {
        return false;
    }
    impl_->Release(handle);
    return true;
}

bool SdlAudioEngine::ChannelSetVolume(StreamHandle handle, float level) {
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr || !std::isfinite(level) || level < 0.0F) {
        return false;
    }
    stream->playback->SetVolume(level);
    return true;
}

int SdlAudioEngine::ChannelGetFft512(StreamHandle handle, std::span<float> out) const {
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr || out.size() < kFft512Bins) {
        return -1;
    }
    std::array<float, PlaybackStream::kHistoryFrames> samples{};
    stream->playback->CopyHistory(samples);
    impl_->fft.Magnitudes(samples, out.first<Fft512::kBins>());
    return static_cast<int>(kFft512Bins);
}

std::optional<OutputSpec> SdlAudioEngine::CurrentOutputSpec() const {
    if (!impl_->current) {
        return std::nullopt;
    }
    const OutputDevice& device = *impl_->devices.at(*impl_->current);
    return OutputSpec{device.Format().rate, device.Format().channels,
                      static_cast<int>(device.PeriodFrames())};
}

std::optional<std::chrono::steady_clock::time_point> SdlAudioEngine::FirstSoundTime(
    StreamHandle handle) const {
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr) {
        return std::nullopt;
    }
    return stream->playback->FirstSoundTime();
}

}  // namespace vorlune
