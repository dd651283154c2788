#pragma once

#include "audio/controls/PlaybackView.h"

namespace vorlune {

class ControlStrip;
class SpectrumPanel;

// The playback controls' pictures and timers shown on the control strip and spectrum panel.
class ControlStripView final : public PlaybackView {
  public:
    ControlStripView(ControlStrip& strip, SpectrumPanel& spectrum)
        : strip_(strip), spectrum_(spectrum) {}

    void ShowControlPicture(ControlPicture picture) override;
    void ShowStopPicture(bool loaded) override;
    void ShowRepeatSwitch(bool on) override;
    void ShowVolumeLabel(int percent) override;
    void SetSpectrumPeriod(int milliseconds) override;

  private:
    ControlStrip& strip_;
    SpectrumPanel& spectrum_;
};

}  // namespace vorlune
