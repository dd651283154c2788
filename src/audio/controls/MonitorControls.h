#pragma once

#include <QObject>

#include "audio/AudioPlayer.h"
#include "base/SettingsStore.h"

class QComboBox;

namespace vorlune {

// What the monitor controls show on the settings page.
class MonitorView {
  public:
    virtual ~MonitorView() = default;
    virtual void ShowMonitorSwitch(bool on) = 0;
    // The volume slider's position and its label, without counting as the user's change.
    virtual void ShowMonitorVolume(int percent) = 0;
};

// The monitor output's controls on the settings page: its device ("监听设备:"), chosen from the
// list and kept at once; its own on/off switch; its own volume. Each is kept in config.ini in a
// section of its own ("监听设备", "是否开启监听", "监听音量"), the device as its number and its
// name like the output device, and read at every use like every other setting.
class MonitorControls : public QObject {
    Q_OBJECT
  public:
    MonitorControls(AudioPlayer& player, SettingsStore& settings, QComboBox& list,
                    MonitorView& view, QObject* parent = nullptr);

    // At start-up: the list, the switch and the volume as saved.
    void LoadMonitorControls();
    // When the list is about to drop down, and when outputs came or went.
    void LoadMonitorDevices();
    void ToggleMonitor();
    void OnMonitorVolumeChanged(int percent);

  signals:
    // The monitor's device or switch changed: the outputs are to be looked at again.
    void monitorChanged();

  private:
    void ChooseDevice(int index);

    AudioPlayer& player_;
    SettingsStore& settings_;
    QComboBox& list_;
    MonitorView& view_;
};

}  // namespace vorlune
