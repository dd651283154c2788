#include "hotkeys/portal/XdgShortcut.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

#include "base/SlotCount.h"
#include "hotkeys/AsciiCase.h"
#include "hotkeys/SpecialHotkeys.h"

namespace vorlune {
namespace {

// A key with its xkbcommon name first, then other names desktops show it by.
struct KeyRow {
    std::int32_t code;
    std::array<std::string_view, 4> names;  // the unused ones empty
};

constexpr std::int32_t kKeypadMultiply = 106;
constexpr std::int32_t kKeypadFirstDigit = 96;

constexpr std::array kKeys = std::to_array<KeyRow>({
    {3, {"Break", "Cancel"}},
    {8, {"BackSpace", "Backspace"}},
    {9, {"Tab"}},
    {12, {"Clear"}},
    {13, {"Return", "Enter"}},
    {16, {"Shift_L"}},
    {17, {"Control_L"}},
    {18, {"Alt_L"}},
    {19, {"Pause"}},
    {20, {"Caps_Lock", "CapsLock"}},
    {27, {"Escape", "Esc"}},
    {32, {"space"}},
    {33, {"Page_Up", "Prior", "PgUp", "PageUp"}},
    {34, {"Page_Down", "Next", "PgDown", "PageDown"}},
    {35, {"End"}},
    {36, {"Home"}},
    {37, {"Left"}},
    {38, {"Up"}},
    {39, {"Right"}},
    {40, {"Down"}},
    {44, {"Print"}},
    {45, {"Insert", "Ins"}},
    {46, {"Delete", "Del"}},
    {91, {"Super_L"}},
    {93, {"Menu"}},
    {kKeypadMultiply, {"KP_Multiply"}},
    {107, {"KP_Add"}},
    {109, {"KP_Subtract"}},
    {110, {"KP_Decimal"}},
    {111, {"KP_Divide"}},
    {144, {"Num_Lock", "NumLock"}},
    {145, {"Scroll_Lock", "ScrollLock"}},
    {186, {"semicolon", ";"}},
    {187, {"equal", "="}},
    {188, {"comma", ","}},
    {189, {"minus", "-"}},
    {190, {"period", "."}},
    {191, {"slash", "/"}},
    {192, {"grave", "`"}},
    {219, {"bracketleft", "["}},
    {220, {"backslash", "\\"}},
    {221, {"bracketright", "]"}},
    {222, {"apostrophe", "'"}},
});

// The keypad keys whose symbol a desktop may show after a keypad marker ("Num+*").
struct KeypadSymbol {
    char symbol;
    std::int32_t code;
};
constexpr std::array kKeypadSymbols = std::to_array<KeypadSymbol>(
    {{'*', kKeypadMultiply}, {'+', 107}, {'-', 109}, {'.', 110}, {'/', 111}});

// The xkbcommon name of a key; empty for a code without one.
std::string KeyName(std::int32_t code) {
    if (code >= '0' && code <= '9') {
        return {static_cast<char>(code)};
    }
    if (code >= 'A' && code <= 'Z') {
        return {static_cast<char>(code - 'A' + 'a')};
    }
    if (code >= kKeypadFirstDigit && code <= kKeypadFirstDigit + 9) {
        return "KP_" + std::to_string(code - kKeypadFirstDigit);
    }
    if (code >= 112 && code <= 135) {
        return "F" + std::to_string(code - 111);
    }
    for (const KeyRow& row : kKeys) {
        if (row.code == code) {
            return std::string(row.names.front());
        }
    }
    return {};
}

// The key a name stands for; with the keypad marker, digits and operators are keypad keys.
std::int32_t KeyOfName(std::string_view name, bool keypad) {
    if (name.size() == 1) {
        const char c = name.front();
        if (keypad) {
            if (c >= '0' && c <= '9') {
                return kKeypadFirstDigit + (c - '0');
            }
            for (const KeypadSymbol& symbol : kKeypadSymbols) {
                if (symbol.symbol == c) {
                    return symbol.code;
                }
            }
        }
        if (c >= '0' && c <= '9') {
            return c;
        }
        if (c >= 'a' && c <= 'z') {
            return c - 'a' + 'A';
        }
        if (c >= 'A' && c <= 'Z') {
            return c;
        }
    }
    if (name.size() >= 2 && (name.front() == 'F' || name.front() == 'f')) {
        int n = 0;
        const char* end = name.data() + name.size();
        if (std::from_chars(name.data() + 1, end, n).ptr == end && n >= 1 && n <= 24) {
            return 111 + n;
        }
    }
    if (name.size() == 4 && EqualsIgnoringAsciiCase(name.substr(0, 3), "KP_") && name[3] >= '0' &&
        name[3] <= '9') {
        return kKeypadFirstDigit + (name[3] - '0');
    }
    for (const KeyRow& row : kKeys) {
        for (std::string_view known : row.names) {
            if (!known.empty() && EqualsIgnoringAsciiCase(name, known)) {
                return row.code;
            }
        }
    }
    return 0;
}

struct Modifier {
    std::string_view word;
    std::uint32_t flag;  // 0 for the keypad marker
};
constexpr std::array kModifiers = std::to_array<Modifier>({
    {"ctrl", kModControl},
    {"control", kModControl},
    {"ctl", kModControl},
    {"primary", kModControl},
    {"strg", kModControl},
    {"shift", kModShift},
    {"umschalt", kModShift},
    {"alt", kModAlt},
    {"mod1", kModAlt},
    {"logo", kModWin},
    {"super", kModWin},
    {"meta", kModWin},
    {"win", kModWin},
    {"windows", kModWin},
    {"mod4", kModWin},
    {"num", 0},
    {"kp", 0},
    {"keypad", 0},
    {"mod2", 0},
});

// Adds a modifier word to the combination; false for a word that is none.
bool AddModifier(std::string_view word, HotkeyCombination& combination, bool& keypad) {
    for (const Modifier& modifier : kModifiers) {
        if (EqualsIgnoringAsciiCase(word, modifier.word)) {
            combination.modifiers |= modifier.flag;
            keypad = keypad || modifier.flag == 0;
            return true;
        }
    }
    return false;
}

// One word of a description as a combination: "<Control><Shift>a" or "Ctrl+Shift+A" or "F1".
std::optional<HotkeyCombination> ParseTriggerWord(std::string_view word) {
    HotkeyCombination combination;
    bool keypad = false;
    while (!word.empty() && word.front() == '<') {
        const std::size_t close = word.find('>');
        if (close == std::string_view::npos ||
            !AddModifier(word.substr(1, close - 1), combination, keypad)) {
            return std::nullopt;
        }
        word.remove_prefix(close + 1);
    }
    std::string_view key = word;
    // "Ctrl++" is Ctrl and the plus key.
    if (word.size() >= 2 && word.ends_with("++")) {
        key = "+";
        word.remove_suffix(2);
    } else if (const std::size_t plus = word.rfind('+'); plus != std::string_view::npos) {
        key = word.substr(plus + 1);
        word = word.substr(0, plus);
    } else {
        word = {};
    }
    while (!word.empty()) {
        const std::size_t plus = word.find('+');
        if (!AddModifier(word.substr(0, plus), combination, keypad)) {
            return std::nullopt;
        }
        word = plus == std::string_view::npos ? std::string_view() : word.substr(plus + 1);
    }
    combination.key = KeyOfName(key, keypad);
    if (combination.key == 0) {
        return std::nullopt;
    }
    return combination;
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of(" \t\n", start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        if (stop > start) {
            words.push_back(text.substr(start, stop - start));
        }
        start = stop + 1;
    }
    return words;
}

constexpr std::string_view kSlotPrefix = "slot-";

// The portal's id of a special hotkey.
constexpr std::string_view ShortcutIdOf(SpecialHotkey which) {
    switch (which) {
        case SpecialHotkey::Pause:
            return "pause";
        case SpecialHotkey::Stop:
            return "stop";
        case SpecialHotkey::MasterSwitch:
            break;
    }
    return "master";
}

}  // namespace

std::optional<std::string> XdgTrigger(HotkeyCombination combination) {
    const std::string key = KeyName(combination.key);
    if (key.empty()) {
        return std::nullopt;
    }
    std::string trigger;
    for (const auto& [flag, word] :
         {std::pair{kModShift, "SHIFT+"}, std::pair{kModControl, "CTRL+"},
          std::pair{kModAlt, "ALT+"}, std::pair{kModWin, "LOGO+"}}) {
        if ((combination.modifiers & flag) != 0) {
            trigger += word;
        }
    }
    return trigger + key;
}

bool TriggerDescribes(std::string_view description, HotkeyCombination combination) {
    if (combination.key == 0) {
        return false;
    }
    for (std::string_view word : Words(description)) {
        // Plasma lists several triggers as "Ctrl+F1, Ctrl+F2".
        std::vector<std::string_view> candidates{word};
        if (word.size() > 1 && word.back() == ',' && word[word.size() - 2] != '+') {
            candidates.push_back(word.substr(0, word.size() - 1));
        }
        for (std::string_view candidate : candidates) {
            if (ParseTriggerWord(candidate) == combination) {
                return true;
            }
        }
    }
    return false;
}

std::string PortalShortcutId(std::int32_t id) {
    if (id >= 1 && id <= kSlotCount) {
        return std::string(kSlotPrefix) + std::to_string(id);
    }
    if (const SpecialHotkeyInfo* special = SpecialHotkeyWithId(id)) {
        return std::string(ShortcutIdOf(special->which));
    }
    return {};
}

std::optional<std::int32_t> HotkeyIdOfPortalShortcut(std::string_view shortcutId) {
    for (const SpecialHotkeyInfo& special : kSpecialHotkeys) {
        if (shortcutId == ShortcutIdOf(special.which)) {
            return special.id;
        }
    }
    if (!shortcutId.starts_with(kSlotPrefix)) {
        return std::nullopt;
    }
    const std::string_view number = shortcutId.substr(kSlotPrefix.size());
    std::int32_t n = 0;
    const char* end = number.data() + number.size();
    if (number.empty() || number.front() == '0' ||
        std::from_chars(number.data(), end, n).ptr != end || n < 1 || n > kSlotCount) {
        return std::nullopt;
    }
    return n;
}

}  // namespace vorlune
