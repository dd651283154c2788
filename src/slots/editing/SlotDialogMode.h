#pragma once

#include <cstdint>

#include "hotkeys/SpecialHotkeys.h"

namespace vorlune {

// What the slot dialog is opened for: the current slot's sound page (0) or hotkey page (1), or
// one of the special hotkeys, whose modes are in their table.
enum class SlotDialogMode : std::int32_t { SlotSound = 0, SlotHotkey = 1 };

constexpr SlotDialogMode DialogModeOf(SpecialHotkey which) {
    return static_cast<SlotDialogMode>(SpecialHotkeyOf(which).dialogMode);
}

// The special hotkey a mode sets; nothing for the slot's own pages.
constexpr const SpecialHotkeyInfo* SpecialHotkeyOfMode(SlotDialogMode mode) {
    return SpecialHotkeyWithDialogMode(static_cast<std::int32_t>(mode));
}

}  // namespace vorlune
