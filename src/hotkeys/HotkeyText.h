#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/StoredSeparator.h"

namespace vorlune {

// Modifier flags of a hotkey, as the system's hotkey registration takes them.
inline constexpr std::uint32_t kModAlt = 1;
inline constexpr std::uint32_t kModControl = 2;
inline constexpr std::uint32_t kModShift = 4;
inline constexpr std::uint32_t kModWin = 8;

// Virtual-key codes of the modifier keys as a key watcher reports the one held last.
inline constexpr std::int32_t kVkShift = 16;
inline constexpr std::int32_t kVkControl = 17;
inline constexpr std::int32_t kVkMenu = 18;
inline constexpr std::int32_t kVkLeftWin = 91;

// Separators of the two forms of a hotkey text: "Ctrl+A键" is shown, "Ctrl｜A键" is stored
// (with kStoredSeparator).
inline constexpr std::string_view kDisplaySeparator = "+";

// A hotkey as the system registers it: modifier flags and a virtual-key code (0 for no key).
struct HotkeyCombination {
    std::uint32_t modifiers = 0;
    std::int32_t key = 0;
    bool operator==(const HotkeyCombination&) const = default;
};

// "Ctrl" 2, "Alt" 1, "Shift" 4, "Win" 8, byte-exact; anything else 0.
std::uint32_t ModifierFlags(std::string_view word);

// The text before the first stored separator; empty text when there is none.
std::string HotkeyModifierPart(std::string_view stored);

// The text after the last stored separator, or the whole text when that is empty.
std::string HotkeyKeyPart(std::string_view stored);

std::string DisplayToStored(std::string_view display);
std::string StoredToDisplay(std::string_view stored);

// What a stored hotkey text registers as: the flags of its modifier part and the code of its
// key part.
HotkeyCombination ParseStoredHotkey(std::string_view stored);

// The display text of a key press while `heldModifier` (a virtual-key code: 16, 17, 18, or
// anything else for none) is held: "Ctrl+A键", "A键", or "Ctrl+" when the key has no name.
std::string ComposeHotkeyText(std::int32_t heldModifier, std::int32_t keyCode);

}  // namespace vorlune
