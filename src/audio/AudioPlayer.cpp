#include "audio/AudioPlayer.h"

#include <algorithm>

#include "base/FileMatch.h"

namespace vorlune {

bool AudioPlayer::Free() {
    for (const auto& [stream, twins] : twins_) {
        for (const StreamHandle twin : twins.streams) {
            engine_.StreamFree(twin);
        }
    }
    twins_.clear();
    levels_.clear();
    return engine_.Free();
}

StreamHandle AudioPlayer::CreateStream(const std::string& path) {
    if (path.empty() || !AnyFileMatches(path)) {
        return 0;
    }
    const StreamHandle stream = engine_.CreateStreamFile(path);
    if (stream == 0) {
        return 0;
    }
    const float level = levelOf_ ? levelOf_(path) : 1.0F;
    if (level != 1.0F) {
        levels_[stream] = level;
        engine_.ChannelSetVolume(stream, level);
    }
    Twins twins;
    bool any = false;
    for (std::size_t n = 0; n < kTwinOutputs; ++n) {
        if (const std::optional<int> device = targets_.at(n).device) {
            twins.streams.at(n) = CreateTwin(path, *device);
            any = any || twins.streams.at(n) != 0;
        }
    }
    if (any) {
        SetTwinVolumes(stream, twins);
        twins_[stream] = twins;
    }
    return stream;
}

StreamHandle AudioPlayer::CreateTwin(const std::string& path, int device) {
    const std::optional<int> current = engine_.CurrentDevice();
    if (!current || *current == device || !engine_.SetDevice(device)) {
        return 0;
    }
    const StreamHandle twin = engine_.CreateStreamFile(path);
    engine_.SetDevice(*current);
    return twin;
}

void AudioPlayer::SetTwinVolumes(StreamHandle stream, const Twins& twins) {
    const float own = LevelOf(stream);
    for (std::size_t n = 0; n < kTwinOutputs; ++n) {
        if (const StreamHandle twin = twins.streams.at(n); twin != 0) {
            engine_.ChannelSetVolume(twin, twins.level * own * targets_.at(n).scale);
        }
    }
}

bool AudioPlayer::Play(StreamHandle stream, bool restart) {
    const bool played = engine_.ChannelPlay(stream, restart);
    if (auto it = twins_.find(stream); played && it != twins_.end()) {
        for (const StreamHandle twin : it->second.streams) {
            engine_.ChannelPlay(twin, restart);
        }
    }
    return played;
}

bool AudioPlayer::Pause(StreamHandle stream) {
    if (auto it = twins_.find(stream); it != twins_.end()) {
        for (const StreamHandle twin : it->second.streams) {
            engine_.ChannelPause(twin);
        }
    }
    return engine_.ChannelPause(stream);
}

bool AudioPlayer::Stop(StreamHandle stream) {
    if (auto it = twins_.find(stream); it != twins_.end()) {
        for (const StreamHandle twin : it->second.streams) {
            engine_.ChannelStop(twin);
        }
    }
    return engine_.ChannelStop(stream);
}

bool AudioPlayer::FreeStream(StreamHandle stream) {
    // The twins go even when the first has gone with a lost device.
    if (auto it = twins_.find(stream); it != twins_.end()) {
        for (const StreamHandle twin : it->second.streams) {
            engine_.StreamFree(twin);
        }
        twins_.erase(it);
    }
    levels_.erase(stream);
    return engine_.StreamFree(stream);
}

bool AudioPlayer::SetChannelVolume(StreamHandle stream, float level) {
    const bool set = engine_.ChannelSetVolume(stream, level * LevelOf(stream));
    if (auto it = twins_.find(stream); set && it != twins_.end()) {
        it->second.level = level;
        SetTwinVolumes(stream, it->second);
    }
    return set;
}

void AudioPlayer::SetMonitorLevel(float level) {
    Target(TwinOutput::Monitor).scale = level;
    for (const auto& [stream, twins] : twins_) {
        SetTwinVolumes(stream, twins);
    }
}

float AudioPlayer::LevelOf(StreamHandle stream) const {
    auto it = levels_.find(stream);
    return it == levels_.end() ? 1.0F : it->second;
}

StreamHandle AudioPlayer::TwinOf(StreamHandle stream, TwinOutput output) const {
    auto it = twins_.find(stream);
    return it == twins_.end() ? 0 : it->second.streams.at(static_cast<std::size_t>(output));
}

bool AudioPlayer::TwinPlays(TwinOutput output) const {
    const auto n = static_cast<std::size_t>(output);
    return std::any_of(twins_.begin(), twins_.end(), [&](const auto& entry) {
        const StreamHandle twin = entry.second.streams.at(n);
        return twin != 0 && engine_.ChannelIsActive(twin) != ChannelState::Stopped;
    });
}

bool AudioPlayer::CloseTwinDevice(TwinOutput output, int device) {
    const std::optional<int> current = engine_.CurrentDevice();
    if (current == device || !engine_.SetDevice(device)) {
        return false;
    }
    // The twins on it go with it; the first ones keep playing where they are.
    const auto n = static_cast<std::size_t>(output);
    for (auto& [stream, twins] : twins_) {
        twins.streams.at(n) = 0;
    }
    const bool closed = engine_.Free();
    if (current) {
        engine_.SetDevice(*current);
    }
    return closed;
}

std::vector<DeviceInfo> ListDevices(const AudioPlayer& player) {
    constexpr int kMaxDevices = 128;
    std::vector<DeviceInfo> devices;
    for (int n = 1; n <= kMaxDevices; ++n) {
        std::optional<DeviceInfo> info = player.GetDeviceInfo(n);
        if (!info) {
            break;
        }
        devices.push_back(std::move(*info));
    }
    return devices;
}

}  // namespace vorlune
