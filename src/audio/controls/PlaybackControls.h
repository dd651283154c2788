#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "audio/AudioPlayer.h"
#include "audio/controls/PlaybackView.h"
#include "base/SettingsStore.h"

namespace vorlune {

// Steers the one sound that plays: volume, pause/resume with a short fade, stop, repeat, and
// the one-second monitor that notices the end of a sound and either plays it again (repeat on)
// or resets the control strip. The pause and stop hotkeys run the same routines as the buttons.
// The monitor's timer ("时钟_监控") is a child of the controls, and so of their parent.
class PlaybackControls : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMonitorPeriodMs = 1000;
    static constexpr int kSpectrumPeriodMs = 30;
    static constexpr int kFadeStepMs = 15;

    // `wait` is the pause between fade steps (DelayPumping in the program).
    PlaybackControls(AudioPlayer& player, SettingsStore& settings, PlaybackView& view,
                     std::function<void(int)> wait, QObject* parent = nullptr);

    void OnVolumeChanged(int position);
    void PauseOrResume();
    void StopSound();
    void ToggleRepeat();
    void MonitorTick();
    // The sound has ended: the strip shows idle, the sound is freed and both timers stop.
    void EndSound();

    // A sound has started: the spectrum runs every 30 ms and the monitor every second.
    void SoundStarted();

    QTimer& MonitorTimer() { return monitor_; }

  signals:
    // What the controls steer may have changed: the sound, its pause, repeat or the volume.
    void changed();
    // A text for the status bar: the sound that ended was cut short by a damaged file.
    void statusText(const QString& text);

  private:
    // Fades the current stream from level down to 0 in steps of 2, waiting between steps.
    void FadeOut(std::int32_t level);
    void SetVolume(double percent);

    AudioPlayer& player_;
    SettingsStore& settings_;
    PlaybackView& view_;
    std::function<void(int)> wait_;
    QTimer monitor_;
    // Set by the stop button: the next monitor tick resets the strip even with repeat on,
    // because a host who presses stop wants silence.
    bool stoppedByUser_ = false;
};

}  // namespace vorlune
