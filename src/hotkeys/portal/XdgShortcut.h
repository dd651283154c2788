#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hotkeys/HotkeyText.h"

namespace vorlune {

// A hotkey in the syntax of the freedesktop shortcuts specification, as the global-shortcuts
// portal takes a preferred trigger: modifiers SHIFT, CTRL, ALT and LOGO, then an xkbcommon key
// name, joined by "+" ("CTRL+F1", "SHIFT+LOGO+a"). Nothing for key code 0 and for a key that has
// no such name.
std::optional<std::string> XdgTrigger(HotkeyCombination combination);

// Whether a desktop's own wording of a trigger (its trigger_description) names exactly this
// combination. Desktops word it freely: "Ctrl+F1" (Plasma), "Press <Control>F1" (GNOME),
// "CTRL+F1"; any word of the text that names the same modifiers and key will do. Empty text
// names nothing.
bool TriggerDescribes(std::string_view description, HotkeyCombination combination);

// The portal's shortcut id of one of the program's hotkey ids and back: slot n is "slot-n",
// the pause, stop and master-switch hotkeys are "pause", "stop" and "master". Ids the program
// does not have give nothing (empty text, no number).
std::string PortalShortcutId(std::int32_t id);
std::optional<std::int32_t> HotkeyIdOfPortalShortcut(std::string_view shortcutId);

}  // namespace vorlune
