#pragma once

#include <optional>
#include <string>

namespace vorlune {

class SystemTray;

// The tip under the tray icon: the title, a line break and the hotkey state, of which only the
// first 62 bytes (GBK) are shown, never cutting through a character.
std::string TrayTip(const std::string& title, bool hotkeysOn);

// The program's notification-area icon: blue while slot hotkeys are on, grey while they are off.
class TrayIcon {
  public:
    explicit TrayIcon(SystemTray& tray) : tray_(tray) {}

    // Shows the on or off icon with the tip, adding the icon when there is none; without an
    // icon (nullopt) the icon is removed.
    void UpdateTrayIcon(std::optional<bool> hotkeysOn, const std::string& tip = {});

  private:
    SystemTray& tray_;
};

}  // namespace vorlune
