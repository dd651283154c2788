// The hotkey texts on any input: the shown and stored forms convert into each other, the parts
// of a stored text are where they belong, and a captured key press registers the key pressed
// (or nothing), never another one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "hotkeys/HotkeyText.h"
#include "hotkeys/KeyNames.h"

namespace {

std::uint32_t FlagOfHeldModifier(std::int32_t vk) {
    switch (vk) {
        case vorlune::kVkControl:
            return vorlune::kModControl;
        case vorlune::kVkMenu:
            return vorlune::kModAlt;
        case vorlune::kVkShift:
            return vorlune::kModShift;
        default:
            return 0;
    }
}

void CheckForms(std::string_view text) {
    const std::string stored = vorlune::DisplayToStored(text);
    const std::string shown = vorlune::StoredToDisplay(text);
    if (text.find(vorlune::kStoredSeparator) == std::string_view::npos) {
        FUZZ_CHECK(vorlune::StoredToDisplay(stored) == text);
    }
    if (text.find(vorlune::kDisplaySeparator) == std::string_view::npos) {
        FUZZ_CHECK(vorlune::DisplayToStored(shown) == text);
    }
    FUZZ_CHECK(stored.find(vorlune::kDisplaySeparator) == std::string::npos);
}

void CheckParts(std::string_view stored) {
    const std::string modifiers = vorlune::HotkeyModifierPart(stored);
    const std::string key = vorlune::HotkeyKeyPart(stored);
    const std::string separator(vorlune::kStoredSeparator);
    if (stored.find(separator) == std::string_view::npos) {
        FUZZ_CHECK(modifiers.empty() && key == stored);
    } else {
        FUZZ_CHECK(stored.starts_with(modifiers + separator));
        FUZZ_CHECK(stored.ends_with(key));
        FUZZ_CHECK(key.find(separator) == std::string::npos || key == stored);
    }
    const vorlune::HotkeyCombination parsed = vorlune::ParseStoredHotkey(stored);
    FUZZ_CHECK(parsed.modifiers == vorlune::ModifierFlags(modifiers));
    FUZZ_CHECK(parsed.key == vorlune::KeyNameToCode(key));
}

void CheckCapture(std::int32_t heldModifier, std::int32_t keyCode) {
    const std::string shown = vorlune::ComposeHotkeyText(heldModifier, keyCode);
    const vorlune::HotkeyCombination parsed =
        vorlune::ParseStoredHotkey(vorlune::DisplayToStored(shown));
    FUZZ_CHECK(parsed.modifiers == FlagOfHeldModifier(heldModifier));
    FUZZ_CHECK(parsed.key == keyCode || parsed.key == 0);
    const std::string name = vorlune::KeyCodeToName(keyCode);
    const std::int32_t back = vorlune::KeyNameToCode(name);
    FUZZ_CHECK(back == keyCode || back == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckForms(text);
    CheckParts(text);
    const std::int32_t code = vorlune::KeyNameToCode(text);
    if (code != 0) {
        // A name that is accepted belongs to a key that has a name.
        FUZZ_CHECK(!vorlune::KeyCodeToName(code).empty());
    }
    if (size >= 5) {
        // The first byte picks the held modifier, the next four the key code.
        const std::int32_t held = 15 + data[0] % 5;
        const std::int32_t key = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(data[1]) | (static_cast<std::uint32_t>(data[2]) << 8) |
            (static_cast<std::uint32_t>(data[3]) << 16) |
            (static_cast<std::uint32_t>(data[4]) << 24));
        CheckCapture(held, key);
        CheckCapture(held, data[1]);
    }
    return 0;
}
