#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QMenu;
class QSlider;
class QToolButton;

namespace vorlune {

class DeviceComboBox;
class SwitchButton;

// The sixth page: the always-on-top switch, the loudness levelling switch, the monitor output (its
// device, its switch and its volume), the button that restores the default sounds, the virtual
// microphone (its switch, its microphone, the default-microphone choice) and the phone page.
class SettingsPage : public QWidget {
    Q_OBJECT
  public:
    explicit SettingsPage(QWidget* parent = nullptr);

    [[nodiscard]] SwitchButton* OnTopSwitch() const { return onTop_; }
    [[nodiscard]] SwitchButton* LevellingSwitch() const { return levelling_; }
    [[nodiscard]] QToolButton* RestoreButton() const { return restore_; }
    [[nodiscard]] QMenu* RestoreMenu() const { return restoreMenu_; }
    [[nodiscard]] DeviceComboBox* MonitorDevices() const { return monitorDevices_; }
    [[nodiscard]] SwitchButton* MonitorSwitch() const { return monitorSwitch_; }
    [[nodiscard]] QSlider* MonitorVolume() const { return monitorVolume_; }
    [[nodiscard]] QLabel* MonitorVolumeLabel() const { return monitorVolumeLabel_; }
    [[nodiscard]] SwitchButton* MicrophoneSwitch() const { return microphoneSwitch_; }
    [[nodiscard]] DeviceComboBox* Microphones() const { return microphones_; }
    [[nodiscard]] QCheckBox* MicrophoneDefault() const { return microphoneDefault_; }
    [[nodiscard]] SwitchButton* PhoneSwitch() const { return phoneSwitch_; }
    [[nodiscard]] QToolButton* PhoneNewSecretButton() const { return phoneNewSecret_; }
    [[nodiscard]] QLabel* PhoneLink() const { return phoneLink_; }
    [[nodiscard]] QLabel* PhoneCode() const { return phoneCode_; }
    // The phone page's switch, its paired link as text and as a QR code (empty while off).
    void ShowPhone(bool on, const QString& link, const QImage& code);

  signals:
    void onTopClicked();
    void levellingClicked();
    void restoreDefaultsChosen();
    void monitorSwitchClicked();
    // The monitor volume slider moved, by mouse or keyboard.
    void monitorVolumeChanged(int percent);
    void microphoneSwitchClicked();
    void microphoneDefaultClicked();
    void phoneSwitchClicked();
    void phoneNewSecretClicked();

  private:
    SwitchButton* onTop_;
    SwitchButton* levelling_;
    DeviceComboBox* monitorDevices_;
    SwitchButton* monitorSwitch_;
    QSlider* monitorVolume_;
    QLabel* monitorVolumeLabel_;
    QToolButton* restore_;
    SwitchButton* microphoneSwitch_;
    DeviceComboBox* microphones_;
    QCheckBox* microphoneDefault_;
    SwitchButton* phoneSwitch_;
    QToolButton* phoneNewSecret_;
    QLabel* phoneLink_;
    QLabel* phoneCode_;
    QMenu* restoreMenu_;
};

}  // namespace vorlune
