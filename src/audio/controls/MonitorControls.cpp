#include "audio/controls/MonitorControls.h"

#include <QComboBox>

#include "audio/OutputKeeper.h"
#include "audio/controls/DeviceList.h"

namespace vorlune {

MonitorControls::MonitorControls(AudioPlayer& player, SettingsStore& settings, QComboBox& list,
                                 MonitorView& view, QObject* parent)
    : QObject(parent), player_(player), settings_(settings), list_(list), view_(view) {
    connect(&list_, &QComboBox::activated, this, &MonitorControls::ChooseDevice);
}

void MonitorControls::LoadMonitorControls() {
    LoadMonitorDevices();
    view_.ShowMonitorSwitch(settings_.ReadInt(setting::kMonitorOn) == 1);
    view_.ShowMonitorVolume(MonitorVolume(settings_));
}

void MonitorControls::LoadMonitorDevices() {
    const SavedDevice saved = ReadSavedDevice(settings_, kMonitorDeviceKeys);
    list_.setCurrentIndex(FillDeviceList(list_, player_, saved).savedIndex);
}

void MonitorControls::ChooseDevice(int index) {
    const std::optional<ListedDevice> listed = DeviceOfItem(list_, index, player_);
    if (!listed) {
        return;
    }
    SaveDevice(settings_, kMonitorDeviceKeys, listed->number, listed->info);
    emit monitorChanged();
}

void MonitorControls::ToggleMonitor() {
    if (const std::optional<bool> on = ToggleSwitch(settings_, setting::kMonitorOn)) {
        view_.ShowMonitorSwitch(*on);
        emit monitorChanged();
    }
}

void MonitorControls::OnMonitorVolumeChanged(int percent) {
    player_.SetMonitorLevel(static_cast<float>(percent) / 100.0F);
    view_.ShowMonitorVolume(percent);
    settings_.WriteInBackground(setting::kMonitorVolume, std::to_string(percent));
}

}  // namespace vorlune
