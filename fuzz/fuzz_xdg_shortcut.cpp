// The words a desktop gives for a trigger (its trigger_description) on any input: a word names
// at most one combination, the other words of a sentence around it change nothing, and the
// program's own preferred trigger for a combination names that combination and no other. The
// portal's shortcut ids name one hotkey each, in one spelling.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "hotkeys/portal/XdgShortcut.h"

namespace {

using vorlune::HotkeyCombination;

void CheckOwnTrigger(HotkeyCombination combination, HotkeyCombination other) {
    const std::optional<std::string> trigger = vorlune::XdgTrigger(combination);
    if (!trigger) {
        return;
    }
    FUZZ_CHECK(vorlune::TriggerDescribes(*trigger, combination));
    FUZZ_CHECK(vorlune::TriggerDescribes("Press " + *trigger, combination));
    FUZZ_CHECK(vorlune::TriggerDescribes(*trigger, other) == (other == combination));
}

void CheckWords(std::string_view text, HotkeyCombination combination) {
    const bool described = vorlune::TriggerDescribes(text, combination);
    if (text.find_first_of(" \t\n") == std::string_view::npos) {
        FUZZ_CHECK(vorlune::TriggerDescribes("Press " + std::string(text) + " now", combination) ==
                   described);
    }
    if (combination.key == 0) {
        FUZZ_CHECK(!described);
    }
}

void CheckShortcutId(std::string_view text) {
    if (const std::optional<std::int32_t> id = vorlune::HotkeyIdOfPortalShortcut(text)) {
        FUZZ_CHECK(vorlune::PortalShortcutId(*id) == text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    const HotkeyCombination combination{data[0] & 0x0fU, data[1]};
    const HotkeyCombination other{data[2] & 0x0fU, data[3]};
    const std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);
    CheckOwnTrigger(combination, other);
    CheckWords(text, combination);
    CheckShortcutId(text);
    return 0;
}
