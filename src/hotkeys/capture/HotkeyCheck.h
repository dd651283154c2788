#pragma once

#include <string>
#include <string_view>

namespace vorlune {

// What the in-use check says about a captured hotkey and whether it may be applied.
struct HotkeyCheckResult {
    std::string message;
    bool applyEnabled = false;
    bool operator==(const HotkeyCheckResult&) const = default;
};

// What the check knows. There is no table of hotkeys in use: a captured combination that a
// slot holds fires that slot, and the trigger records the slot as the last one triggered.
struct HotkeyCheckInput {
    std::string_view captured;             // display form, as the capture wrote it
    std::string_view lastTriggeredHotkey;  // stored form
    std::string_view lastTriggeredName;
    std::string_view ownText;  // display form of the edited slot's hotkey
    bool masterSwitchDialog = false;
};

// The captured text is free unless it equals the hotkey of the slot triggered last; then it is
// either the edited slot's own hotkey or taken by that slot. Both empty count as equal: a key
// without a name (Tab, Print Screen) captures nothing that could be applied, so a click on
// "应用" cannot clear the slot's hotkey by mistake.
HotkeyCheckResult CheckCapturedHotkey(const HotkeyCheckInput& in);

// The display form of a slot's stored hotkey as the check compares it: the modifier part, "+"
// and the key part when there is a modifier part, the stored text unchanged otherwise.
std::string OwnHotkeyText(std::string_view stored);

}  // namespace vorlune
