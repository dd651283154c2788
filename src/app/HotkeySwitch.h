#pragma once

#include <QObject>

class QWidget;

namespace vorlune {

class HotkeyRegistry;
class SettingsStore;
class SwitchButton;
class TrayIcon;

// The hotkey master switch ("是否设置快捷按钮"): slot, pause and stop hotkeys on or off, shown by
// the control strip's switch and the tray icon. Its button and its own hotkey toggle it.
class HotkeySwitch : public QObject {
    Q_OBJECT
  public:
    HotkeySwitch(SettingsStore& settings, HotkeyRegistry& hotkeys, SwitchButton& hotkeySwitch,
                 TrayIcon& tray, const QWidget& window, QObject* parent = nullptr);

    // Acts only on a stored 1 or 0: registers every hotkey again and shows the stored state,
    // which a toggle nested in the registration may have changed once more.
    void Toggle();
    // The tray icon and its tip (the window's title) for the stored state.
    void ShowInTray();

  signals:
    // A toggle has ended (the stored state may be either).
    void toggled();

  private:
    SettingsStore& settings_;
    HotkeyRegistry& hotkeys_;
    SwitchButton& switch_;
    TrayIcon& tray_;
    const QWidget& window_;
};

}  // namespace vorlune
