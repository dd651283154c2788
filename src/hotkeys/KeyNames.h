#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vorlune {

// How a row of a key table accepts a name.
enum class NameMatch {
    Exact,   // byte for byte
    NoCase,  // ASCII letters in any case
};

// One key of a key table: a Windows virtual-key code, the name given to it when a key press is
// turned into text, and the name that turns back into it. The two names differ for a few keys
// ("Break" is produced, only "break键" is accepted), so a captured hotkey does not always register.
struct KeyNameRow {
    std::int32_t code;
    std::string_view produced;
    std::string_view accepted;
    NameMatch match;
};

// The main table (88 keys) and the keypad table (13 keys); codes are unique within each.
std::span<const KeyNameRow> MainKeyTable();
std::span<const KeyNameRow> KeypadKeyTable();

// The name of a key, looked up in the main table and then in the keypad table; empty text for a
// key without a name (Tab, the right Windows key, left/right-specific modifiers, F17 and above).
std::string KeyCodeToName(std::int32_t code);

// The virtual-key code of a key name, main table first, each row with its own match; 0 when no
// row accepts the name.
std::int32_t KeyNameToCode(std::string_view name);

}  // namespace vorlune
