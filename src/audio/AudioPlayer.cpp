#include "audio/AudioPlayer.h"

#include "base/FileMatch.h"

namespace vorlune {

bool AudioPlayer::Free() {
    for (const auto& [stream, twin] : twins_) {
        engine_.StreamFree(twin.stream);
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
    if (monitor_) {
        if (const StreamHandle twin = CreateTwin(path); twin != 0) {
            engine_.ChannelSetVolume(twin, level * monitorLevel_);
            twins_[stream] = Twin{twin};
        }
    }
    return stream;
}

StreamHandle AudioPlayer::CreateTwin(const std::string& path) {
    const std::optional<int> current = engine_.CurrentDevice();
    if (!current || *current == *monitor_ || !engine_.SetDevice(*monitor_)) {
        return 0;
    }
    const StreamHandle twin = engine_.CreateStreamFile(path);
    engine_.SetDevice(*current);
    return twin;
}

bool AudioPlayer::Play(StreamHandle stream, bool restart) {
    const bool played = engine_.ChannelPlay(stream, restart);
    if (const StreamHandle twin = MonitorStreamOf(stream); played && twin != 0) {
        engine_.ChannelPlay(twin, restart);
    }
    return played;
}

bool AudioPlayer::Pause(StreamHandle stream) {
    if (const StreamHandle twin = MonitorStreamOf(stream); twin != 0) {
        engine_.ChannelPause(twin);
    }
    return engine_.ChannelPause(stream);
}

bool AudioPlayer::Stop(StreamHandle stream) {
    if (const StreamHandle twin = MonitorStreamOf(stream); twin != 0) {
        engine_.ChannelStop(twin);
    }
    return engine_.ChannelStop(stream);
}

bool AudioPlayer::FreeStream(StreamHandle stream) {
    // The twin goes even when the first has gone with a lost device.
    if (auto it = twins_.find(stream); it != twins_.end()) {
        engine_.StreamFree(it->second.stream);
        twins_.erase(it);
    }
    levels_.erase(stream);
    return engine_.StreamFree(stream);
}

bool AudioPlayer::SetChannelVolume(StreamHandle stream, float level) {
    const float own = LevelOf(stream);
    const bool set = engine_.ChannelSetVolume(stream, level * own);
    if (auto it = twins_.find(stream); set && it != twins_.end()) {
        it->second.level = level;
        engine_.ChannelSetVolume(it->second.stream, level * own * monitorLevel_);
    }
    return set;
}

void AudioPlayer::SetMonitorLevel(float level) {
    monitorLevel_ = level;
    for (const auto& [stream, twin] : twins_) {
        engine_.ChannelSetVolume(twin.stream, twin.level * LevelOf(stream) * monitorLevel_);
    }
}

float AudioPlayer::LevelOf(StreamHandle stream) const {
    auto it = levels_.find(stream);
    return it == levels_.end() ? 1.0F : it->second;
}

StreamHandle AudioPlayer::MonitorStreamOf(StreamHandle stream) const {
    auto it = twins_.find(stream);
    return it == twins_.end() ? 0 : it->second.stream;
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
