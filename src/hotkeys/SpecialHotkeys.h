#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "base/SettingsStore.h"

namespace vorlune {

// The three hotkeys of the control strip, in the order they are registered after the slots.
enum class SpecialHotkey { Pause, Stop, MasterSwitch };

// Everything the program knows of one special hotkey.
struct SpecialHotkeyInfo {
    SpecialHotkey which;
    // Its hotkey id (slot n has id n).
    std::int32_t id;
    // Where config.ini keeps its stored text.
    SettingKey setting;
    // The mode of the slot dialog that sets it (0 and 1 are the current slot's two pages).
    std::int32_t dialogMode;
    // What the slot dialog shows in its name box and title for it.
    std::string_view dialogName;
    // Object name of the control strip's label that shows its text.
    std::string_view label;
    // Registered whether the hotkey master switch is on or off (it is the one that turns it on).
    bool independentOfSwitch;
};

inline constexpr std::array<SpecialHotkeyInfo, 3> kSpecialHotkeys{{
    {SpecialHotkey::Pause, 844, setting::kPauseHotkey, 3, "*音效声场控制", "透明标签_kjkz", false},
    {SpecialHotkey::Stop, 855, setting::kStopHotkey, 4, "*音效声场停止", "透明标签_kjyxgb", false},
    {SpecialHotkey::MasterSwitch, 886, setting::kMasterHotkey, 2, "*音效快捷开关", "透明标签_kjkg",
     true},
}};

constexpr const SpecialHotkeyInfo& SpecialHotkeyOf(SpecialHotkey which) {
    for (const SpecialHotkeyInfo& info : kSpecialHotkeys) {
        if (info.which == which) {
            return info;
        }
    }
    return kSpecialHotkeys.back();
}

// The special hotkey with this hotkey id, or with this slot dialog mode; nothing for others.
constexpr const SpecialHotkeyInfo* SpecialHotkeyWithId(std::int32_t id) {
    for (const SpecialHotkeyInfo& info : kSpecialHotkeys) {
        if (info.id == id) {
            return &info;
        }
    }
    return nullptr;
}
constexpr const SpecialHotkeyInfo* SpecialHotkeyWithDialogMode(std::int32_t mode) {
    for (const SpecialHotkeyInfo& info : kSpecialHotkeys) {
        if (info.dialogMode == mode) {
            return &info;
        }
    }
    return nullptr;
}

}  // namespace vorlune
