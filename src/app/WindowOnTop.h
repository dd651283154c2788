#pragma once

#include "base/OnTopRelease.h"

class QWidget;

namespace vorlune {

class KeepAbove;
class SettingsStore;
class SwitchButton;

// The main window's always-on-top setting ("是否窗口置顶"): restored at start, toggled by the
// switch on the settings page, and released before a message or dialog shows.
class WindowOnTop final : public OnTopRelease {
  public:
    WindowOnTop(SettingsStore& settings, KeepAbove& keepAbove, QWidget& window,
                SwitchButton& onTopSwitch);

    // At start: on top when the setting is exactly 1.
    void Restore();
    // The switch: acts only on a stored 1 or 0.
    void Toggle();
    void KeepOnTopRelease() override;

  private:
    SettingsStore& settings_;
    KeepAbove& keepAbove_;
    QWidget& window_;
    SwitchButton& switch_;
};

}  // namespace vorlune
