#include "app/ControlStripView.h"

#include <QLabel>

#include "app/ControlStrip.h"
#include "app/SwitchButton.h"
#include "spectrum/SpectrumPanel.h"

namespace vorlune {

void ControlStripView::ShowControlPicture(ControlPicture picture) {
    switch (picture) {
        case ControlPicture::IdlePause:
            strip_.ShowPausePicture(ControlStrip::PausePicture::Idle);
            break;
        case ControlPicture::PausedPause:
            strip_.ShowPausePicture(ControlStrip::PausePicture::Pause);
            break;
        case ControlPicture::Playing:
            strip_.ShowPausePicture(ControlStrip::PausePicture::Play);
            break;
    }
}

void ControlStripView::ShowStopPicture(bool loaded) {
    strip_.ShowStopPicture(loaded);
}

void ControlStripView::ShowRepeatSwitch(bool on) {
    strip_.RepeatSwitch()->ShowState(on);
}

void ControlStripView::ShowVolumeLabel(int percent) {
    strip_.VolumeLabel()->setText(QString::number(percent) + QLatin1Char('%'));
}

void ControlStripView::SetSpectrumPeriod(int milliseconds) {
    if (milliseconds > 0) {
        spectrum_.Start();
    } else {
        spectrum_.Stop();
    }
}

}  // namespace vorlune
