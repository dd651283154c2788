#include "audio/controls/PlaybackControls.h"

#include <algorithm>

#include "audio/controls/TimerPeriod.h"

namespace vorlune {

PlaybackControls::PlaybackControls(AudioPlayer& player, SettingsStore& settings, PlaybackView& view,
                                   std::function<void(int)> wait, QObject* parent)
    : QObject(parent),
      player_(player),
      settings_(settings),
      view_(view),
      wait_(std::move(wait)),
      monitor_(this) {
    monitor_.setObjectName(QStringLiteral("时钟_监控"));
    connect(&monitor_, &QTimer::timeout, this, &PlaybackControls::MonitorTick);
}

void PlaybackControls::SetVolume(double percent) {
    player_.SetChannelVolume(player_.CurrentStream(), static_cast<float>(percent / 100.0));
}

void PlaybackControls::OnVolumeChanged(int position) {
    SetVolume(position);
    view_.ShowVolumeLabel(position);
    settings_.WriteInBackground(setting::kVolume, std::to_string(position));
    emit changed();
}

void PlaybackControls::FadeOut(std::int32_t level) {
    // Each step acts on whatever stream is current then: a sound started during the fade is
    // the one that is faded.
    while (level > 0) {
        level -= 2;
        SetVolume(std::max(level, 0));
        wait_(kFadeStepMs);
    }
}

void PlaybackControls::PauseOrResume() {
    const std::int32_t level = settings_.ReadInt(setting::kVolume);
    view_.ShowStopPicture(true);
    // A stalled stream plays as soon as its decoder catches up: it is paused like one that plays.
    const ChannelState state = player_.IsActive(player_.CurrentStream());
    if (state == ChannelState::Playing || state == ChannelState::Stalled) {
        view_.ShowControlPicture(ControlPicture::PausedPause);
        FadeOut(level);
        player_.Pause(player_.CurrentStream());
        emit changed();
        return;
    }
    view_.ShowControlPicture(ControlPicture::Playing);
    SetVolume(level);
    player_.Play(player_.CurrentStream());
    emit changed();
}

void PlaybackControls::StopSound() {
    FadeOut(settings_.ReadInt(setting::kStopFade));
    view_.ShowStopPicture(false);
    player_.FreeStream(player_.CurrentStream());
    stoppedByUser_ = true;
    emit changed();
}

void PlaybackControls::ToggleRepeat() {
    if (const std::optional<bool> on = ToggleSwitch(settings_, setting::kRepeat)) {
        view_.ShowRepeatSwitch(*on);
        emit changed();
    }
}

void PlaybackControls::SoundStarted() {
    stoppedByUser_ = false;
    view_.SetSpectrumPeriod(kSpectrumPeriodMs);
    SetTimerPeriod(monitor_, kMonitorPeriodMs);
    emit changed();
}

void PlaybackControls::MonitorTick() {
    if (player_.IsActive(player_.CurrentStream()) != ChannelState::Stopped) {
        return;
    }
    if (player_.IsDamaged(player_.CurrentStream())) {
        emit statusText(QStringLiteral("音效文件已损坏，播放到损坏处为止：") +
                        QString::fromStdString(player_.LastSoundPath()));
    }
    if (settings_.ReadInt(setting::kRepeat) == 1 && !stoppedByUser_) {
        // The result is not tested: a file that has gone is tried again at every tick until
        // repeat is switched off or another sound starts.
        player_.FreeStream(player_.CurrentStream());
        player_.SetCurrentStream(player_.CreateStream(player_.LastSoundPath()));
        SetVolume(settings_.ReadNumber(setting::kVolume));
        player_.Play(player_.CurrentStream());
        SoundStarted();
        return;
    }
    EndSound();
}

void PlaybackControls::EndSound() {
    view_.ShowControlPicture(ControlPicture::IdlePause);
    view_.ShowStopPicture(false);
    player_.FreeStream(player_.CurrentStream());
    view_.SetSpectrumPeriod(0);
    SetTimerPeriod(monitor_, 0);
    stoppedByUser_ = false;
    emit changed();
}

}  // namespace vorlune
