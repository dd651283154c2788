#pragma once

namespace vorlune {

// The pictures of the control button (pause/resume).
enum class ControlPicture { IdlePause, PausedPause, Playing };

// What the playback controls show on the control strip and the spectrum panel.
class PlaybackView {
  public:
    virtual ~PlaybackView() = default;
    virtual void ShowControlPicture(ControlPicture picture) = 0;
    // Green while a sound is loaded, grey once it is stopped.
    virtual void ShowStopPicture(bool loaded) = 0;
    virtual void ShowRepeatSwitch(bool on) = 0;
    virtual void ShowVolumeLabel(int percent) = 0;
    // The spectrum timer: 30 ms while a sound is under way; 0 stops it and clears the panel.
    // Setting the period a running timer already has leaves it undisturbed.
    virtual void SetSpectrumPeriod(int milliseconds) = 0;
};

}  // namespace vorlune
