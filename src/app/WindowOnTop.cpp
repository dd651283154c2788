#include "app/WindowOnTop.h"

#include "app/KeepAbove.h"
#include "app/SwitchButton.h"
#include "base/SettingsStore.h"

namespace vorlune {

WindowOnTop::WindowOnTop(SettingsStore& settings, KeepAbove& keepAbove, QWidget& window,
                         SwitchButton& onTopSwitch)
    : settings_(settings), keepAbove_(keepAbove), window_(window), switch_(onTopSwitch) {}

void WindowOnTop::Restore() {
    if (settings_.ReadInt(setting::kOnTop) == 1) {
        keepAbove_.SetKeepAbove(&window_, true);
    }
}

void WindowOnTop::Toggle() {
    const std::optional<bool> on = ToggleSwitch(settings_, setting::kOnTop);
    if (!on) {
        return;
    }
    keepAbove_.SetKeepAbove(&window_, *on);
    switch_.ShowState(*on);
}

void WindowOnTop::KeepOnTopRelease() {
    if (settings_.ReadInt(setting::kOnTop) == 1) {
        keepAbove_.SetKeepAbove(&window_, false);
    }
}

}  // namespace vorlune
