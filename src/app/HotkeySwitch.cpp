#include "app/HotkeySwitch.h"

#include <QWidget>

#include "app/SwitchButton.h"
#include "app/TrayIcon.h"
#include "base/SettingsStore.h"
#include "hotkeys/HotkeyRegistry.h"

namespace vorlune {

HotkeySwitch::HotkeySwitch(SettingsStore& settings, HotkeyRegistry& hotkeys,
                           SwitchButton& hotkeySwitch, TrayIcon& tray, const QWidget& window,
                           QObject* parent)
    : QObject(parent),
      settings_(settings),
      hotkeys_(hotkeys),
      switch_(hotkeySwitch),
      tray_(tray),
      window_(window) {}

void HotkeySwitch::Toggle() {
    const std::optional<bool> on = ToggleSwitch(settings_, setting::kHotkeysOn);
    if (!on) {
        return;
    }
    hotkeys_.RegisterAllHotkeys();
    // The registration lets waiting events run, among them another toggle (the hotkey held or
    // pressed twice) that ends this run early: the picture shows what is stored now, as the
    // tray and the registrations do, not the value this toggle wrote.
    switch_.ShowState(settings_.ReadInt(setting::kHotkeysOn) == 1);
    ShowInTray();
    emit toggled();
}

void HotkeySwitch::ShowInTray() {
    const bool on = settings_.ReadInt(setting::kHotkeysOn) == 1;
    tray_.UpdateTrayIcon(on, TrayTip(window_.windowTitle().toStdString(), on));
}

}  // namespace vorlune
