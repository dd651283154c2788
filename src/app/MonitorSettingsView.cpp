#include "app/MonitorSettingsView.h"

#include <QLabel>
#include <QSlider>

#include "app/SettingsPage.h"
#include "app/SwitchButton.h"

namespace vorlune {

void MonitorSettingsView::ShowMonitorSwitch(bool on) {
    page_.MonitorSwitch()->ShowState(on);
}

void MonitorSettingsView::ShowMonitorVolume(int percent) {
    QSlider* slider = page_.MonitorVolume();
    {
        const QSignalBlocker quiet(slider);  // showing the saved level is not a user's change
        slider->setValue(percent);
    }
    page_.MonitorVolumeLabel()->setText(QString::number(slider->value()) + QLatin1Char('%'));
}

}  // namespace vorlune
