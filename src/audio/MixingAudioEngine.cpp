#include "audio/MixingAudioEngine.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

#include "audio/Fft512.h"
#include "audio/OutputMixer.h"
#include "audio/PlaybackStream.h"
#include "audio/StreamFeeder.h"

namespace vorlune {

namespace {

// The key of the output that follows the system's default; devices are keyed by their ids.
const std::string kDefaultKey;
constexpr int kChannels = 2;

}  // namespace

struct MixingAudioEngine::Impl {
    struct Output {
        std::shared_ptr<OutputMixer> mixer;
        std::unique_ptr<OutputStream> stream;
    };
    struct Stream {
        std::shared_ptr<PlaybackStream> playback;
        std::string output;
    };

    Impl(OutputSystem& system, MixingAudioEngineOptions opts)
        : outputs(system), options(opts), feeder(opts.feedInterval) {}

    // The listing that device numbers refer to; read afresh on demand.
    const OutputListing& Listing(bool afresh) const {
        if (afresh || !listingRead) {
            listing = outputs.Outputs();
            listingRead = true;
        }
        return listing;
    }

    // The key of a device number, if it names one.
    std::optional<std::string> KeyOf(int device) const {
        if (device == kDefaultDevice) {
            return kDefaultKey;
        }
        const OutputListing& list = Listing(false);
        if (device < 1 || device > static_cast<int>(list.outputs.size())) {
            return std::nullopt;
        }
        return list.outputs[static_cast<std::size_t>(device - 1)].id;
    }

    const Stream* Find(StreamHandle handle) const {
        auto it = streams.find(handle);
        return it == streams.end() ? nullptr : &it->second;
    }

    Output* OutputOf(const Stream& stream) const {
        auto it = open.find(stream.output);
        return it == open.end() ? nullptr : it->second.get();
    }

    // A stream whose output went away is treated as ended.
    bool Usable(const Stream& stream) const {
        const Output* output = OutputOf(stream);
        return output != nullptr && !output->stream->Lost();
    }

    // A stream that played was stopped or freed: when nothing else plays on its output,
    // what the output still has queued of it is dropped, so the sound ends at once. (A sound
    // that reaches its end plays out instead.)
    static void Interrupted(Output& output, bool wasRunning) {
        if (wasRunning && !output.mixer->AnyRunning()) {
            output.stream->DropQueued();
        }
    }

    void Release(StreamHandle handle) {
        auto it = streams.find(handle);
        if (it == streams.end()) {
            return;
        }
        const PlaybackStream* raw = it->second.playback.get();
        if (Output* output = OutputOf(it->second)) {
            const bool wasRunning = raw->IsRunning();
            output->mixer->Detach(raw);
            Interrupted(*output, wasRunning);
        }
        feeder.Remove(raw);
        streams.erase(it);
    }

    void Close(const std::string& key) {
        std::vector<StreamHandle> gone;
        for (const auto& [handle, stream] : streams) {
            if (stream.output == key) {
                gone.push_back(handle);
            }
        }
        for (StreamHandle handle : gone) {
            Release(handle);
        }
        open.erase(key);
        if (current == key) {
            current.reset();
        }
    }

    // Outputs the system has lost are closed with their streams.
    void CloseLost() {
        std::vector<std::string> lost;
        for (const auto& [key, output] : open) {
            if (output->stream->Lost()) {
                lost.push_back(key);
            }
        }
        for (const std::string& key : lost) {
            Close(key);
        }
    }

    OutputSystem& outputs;
    MixingAudioEngineOptions options;
    mutable OutputListing listing;
    mutable bool listingRead = false;
    std::map<std::string, std::unique_ptr<Output>> open;
    std::optional<std::string> current;
    std::unordered_map<StreamHandle, Stream> streams;
    StreamHandle lastHandle = 0;
    mutable Fft512 fft;
    // Declared last so it stops (and lets go of the streams) before anything above is gone.
    StreamFeeder feeder;
};

MixingAudioEngine::MixingAudioEngine(OutputSystem& outputs, MixingAudioEngineOptions options)
    : impl_(std::make_unique<Impl>(outputs, options)) {}

MixingAudioEngine::~MixingAudioEngine() {
    impl_->outputs.SetChangeListener({});
    impl_->streams.clear();
    impl_->open.clear();
}

bool MixingAudioEngine::Init(int device, int frequency, std::uint32_t /*flags*/) {
    impl_->CloseLost();
    const std::optional<std::string> key = impl_->KeyOf(device);
    if (!key || impl_->open.contains(*key)) {
        return false;
    }
    auto mixer = std::make_shared<OutputMixer>(kChannels);
    auto stream = impl_->outputs.Open(
        *key, frequency > 0 ? frequency : 44100,
        static_cast<std::size_t>(std::max(impl_->options.periodFrames, 64)), mixer);
    if (!stream) {
        return false;
    }
    impl_->open[*key] = std::make_unique<Impl::Output>(Impl::Output{mixer, std::move(stream)});
    impl_->current = *key;
    return true;
}

bool MixingAudioEngine::SetDevice(int device) {
    impl_->CloseLost();
    const std::optional<std::string> key = impl_->KeyOf(device);
    if (!key || !impl_->open.contains(*key)) {
        return false;
    }
    impl_->current = *key;
    return true;
}

bool MixingAudioEngine::Free() {
    impl_->CloseLost();
    if (!impl_->current) {
        return false;
    }
    impl_->Close(*impl_->current);
    return true;
}

std::optional<int> MixingAudioEngine::CurrentDevice() const {
    if (!impl_->current) {
        return std::nullopt;
    }
    auto it = impl_->open.find(*impl_->current);
    if (it == impl_->open.end() || it->second->stream->Lost()) {
        return std::nullopt;
    }
    if (*impl_->current == kDefaultKey) {
        return kDefaultDevice;
    }
    const std::vector<OutputEntry>& list = impl_->Listing(false).outputs;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].id == *impl_->current) {
            return static_cast<int>(i + 1);
        }
    }
    return std::nullopt;
}

DeviceState MixingAudioEngine::DeviceStateOf(int device) const {
    const std::optional<std::string> key = impl_->KeyOf(device);
    const auto it = key ? impl_->open.find(*key) : impl_->open.end();
    if (it == impl_->open.end() || it->second->stream->Lost()) {
        return DeviceState::Closed;
    }
    return it->second->stream->Accepted() ? DeviceState::Open : DeviceState::Opening;
}

std::optional<DeviceInfo> MixingAudioEngine::GetDeviceInfo(int device) const {
    const OutputListing& list = impl_->Listing(true);
    if (device < 1 || device > static_cast<int>(list.outputs.size())) {
        return std::nullopt;
    }
    const OutputEntry& entry = list.outputs[static_cast<std::size_t>(device - 1)];
    DeviceInfo info;
    info.name = entry.name;
    info.id = entry.id;
    info.serial = entry.serial;
    info.driver = impl_->outputs.DriverName();
    info.flags = kDeviceEnabled;
    if (entry.id == list.defaultId) {
        info.flags |= kDeviceDefault;
    }
    auto it = impl_->open.find(entry.id);
    if (it != impl_->open.end() && !it->second->stream->Lost()) {
        info.flags |= kDeviceOpen;
    }
    return info;
}

void MixingAudioEngine::SetDeviceListener(std::function<void()> listener) {
    impl_->outputs.SetChangeListener(std::move(listener));
}

StreamHandle MixingAudioEngine::CreateStreamFile(const std::string& path) {
    impl_->CloseLost();
    if (!impl_->current || path.empty()) {
        return 0;
    }
    Impl::Output& output = *impl_->open.at(*impl_->current);
    auto playback =
        PlaybackStream::Open(path, output.stream->Format(), output.stream->PeriodFrames());
    if (!playback) {
        return 0;
    }
    const StreamHandle handle = ++impl_->lastHandle;
    output.mixer->Attach(playback);
    impl_->feeder.Add(playback);
    impl_->streams.emplace(handle, Impl::Stream{std::move(playback), *impl_->current});
    return handle;
}

bool MixingAudioEngine::ChannelPlay(StreamHandle handle, bool restart) {
    impl_->CloseLost();
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr || !impl_->Usable(*stream)) {
        return false;
    }
    Impl::Output& output = *impl_->OutputOf(*stream);
    if (restart) {
        const bool wasRunning = stream->playback->IsRunning();
        stream->playback->Stop();
        output.mixer->WithMixingHeld([] {});
        if (!stream->playback->Rewind()) {
            Impl::Interrupted(output, wasRunning);
            return false;
        }
    }
    // An output on which nothing plays rests: it must be told to start.
    const bool idle = !output.mixer->AnyRunning();
    stream->playback->Play();
    if (idle) {
        output.stream->StartNow();
    }
    impl_->feeder.Wake();
    return true;
}

bool MixingAudioEngine::ChannelPause(StreamHandle handle) {
    impl_->CloseLost();
    const Impl::Stream* stream = impl_->Find(handle);
    // What the output holds of it plays out (the end of the fade before a pause is heard whole),
    // and resume goes on right after it: nothing is dropped.
    return stream != nullptr && impl_->Usable(*stream) && stream->playback->Pause();
}

bool MixingAudioEngine::ChannelStop(StreamHandle handle) {
    impl_->CloseLost();
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr) {
        return false;
    }
    const bool wasRunning = stream->playback->IsRunning();
    stream->playback->Stop();
    if (Impl::Output* output = impl_->OutputOf(*stream)) {
        Impl::Interrupted(*output, wasRunning);
    }
    return true;
}

ChannelState MixingAudioEngine::ChannelIsActive(StreamHandle handle) const {
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr || !impl_->Usable(*stream)) {
        return ChannelState::Stopped;
    }
    return stream->playback->State();
}

bool MixingAudioEngine::ChannelDamaged(StreamHandle handle) const {
    const Impl::Stream* stream = impl_->Find(handle);
    return stream != nullptr && stream->playback->Damaged();
}

bool MixingAudioEngine::StreamFree(StreamHandle handle) {
    impl_->CloseLost();
    if (impl_->Find(handle) == nullptr) {
        return false;
    }
    impl_->Release(handle);
    return true;
}

bool MixingAudioEngine::ChannelSetVolume(StreamHandle handle, float level) {
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr || !std::isfinite(level) || level < 0.0F) {
        return false;
    }
    stream->playback->SetVolume(level);
    return true;
}

int MixingAudioEngine::ChannelGetFft512(StreamHandle handle, std::span<float> out) const {
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr || out.size() < kFft512Bins) {
        return -1;
    }
    std::array<float, PlaybackStream::kHistoryFrames> samples{};
    stream->playback->CopyHistory(samples);
    impl_->fft.Magnitudes(samples, out.first<Fft512::kBins>());
    return static_cast<int>(kFft512Bins);
}

std::optional<OutputSpec> MixingAudioEngine::CurrentOutputSpec() const {
    if (!impl_->current) {
        return std::nullopt;
    }
    const OutputStream& stream = *impl_->open.at(*impl_->current)->stream;
    return OutputSpec{stream.Format().rate, stream.Format().channels,
                      static_cast<int>(stream.PeriodFrames())};
}

std::optional<std::chrono::steady_clock::time_point> MixingAudioEngine::FirstSoundTime(
    StreamHandle handle) const {
    const Impl::Stream* stream = impl_->Find(handle);
    if (stream == nullptr) {
        return std::nullopt;
    }
    return stream->playback->FirstSoundTime();
}

bool MixingAudioEngine::FullyDecoded(StreamHandle handle) const {
    const Impl::Stream* stream = impl_->Find(handle);
    return stream != nullptr && stream->playback->FullyDecoded();
}

}  // namespace vorlune
