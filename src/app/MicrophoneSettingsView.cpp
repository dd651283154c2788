#include "app/MicrophoneSettingsView.h"

#include <QCheckBox>

#include "app/SettingsPage.h"
#include "app/SwitchButton.h"

namespace vorlune {

void MicrophoneSettingsView::ShowMicrophoneSwitch(bool on) {
    page_.MicrophoneSwitch()->ShowState(on);
}

void MicrophoneSettingsView::ShowMakeDefault(bool on) {
    page_.MicrophoneDefault()->setChecked(on);
}

}  // namespace vorlune
