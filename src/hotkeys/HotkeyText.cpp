#include "hotkeys/HotkeyText.h"

#include "hotkeys/KeyNames.h"

namespace vorlune {
namespace {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t at = text.find(from); at != std::string_view::npos;
         at = text.find(from, start)) {
        out.append(text.substr(start, at - start));
        out.append(to);
        start = at + from.size();
    }
    out.append(text.substr(start));
    return out;
}

}  // namespace

std::uint32_t ModifierFlags(std::string_view word) {
    if (word == "Ctrl") {
        return kModControl;
    }
    if (word == "Alt") {
        return kModAlt;
    }
    if (word == "Shift") {
        return kModShift;
    }
    if (word == "Win") {
        return kModWin;
    }
    return 0;
}

std::string HotkeyModifierPart(std::string_view stored) {
    const std::size_t at = stored.find(kStoredSeparator);
    return at == std::string_view::npos ? std::string() : std::string(stored.substr(0, at));
}

std::string HotkeyKeyPart(std::string_view stored) {
    const std::size_t at = stored.rfind(kStoredSeparator);
    if (at == std::string_view::npos || at + kStoredSeparator.size() == stored.size()) {
        return std::string(stored);
    }
    return std::string(stored.substr(at + kStoredSeparator.size()));
}

std::string DisplayToStored(std::string_view display) {
    return ReplaceAll(display, kDisplaySeparator, kStoredSeparator);
}

std::string StoredToDisplay(std::string_view stored) {
    return ReplaceAll(stored, kStoredSeparator, kDisplaySeparator);
}

HotkeyCombination ParseStoredHotkey(std::string_view stored) {
    return {ModifierFlags(HotkeyModifierPart(stored)), KeyNameToCode(HotkeyKeyPart(stored))};
}

std::string ComposeHotkeyText(std::int32_t heldModifier, std::int32_t keyCode) {
    std::string name = KeyCodeToName(keyCode);
    switch (heldModifier) {
        case kVkControl:
            return "Ctrl+" + name;
        case kVkMenu:
            return "Alt+" + name;
        case kVkShift:
            return "Shift+" + name;
        default:
            return name;
    }
}

}  // namespace vorlune
