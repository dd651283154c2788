#pragma once

#include <string>

namespace vorlune::test {

// A stored hotkey text of its own for each slot 1..209 (and up to 232): no modifier, Ctrl, Alt
// or Shift with one of 58 keys (letters, digits, F1-F12, keypad digits).
inline std::string DistinctSlotHotkey(int n) {
    static const char* const kModifiers[] = {"", "Ctrl｜", "Alt｜", "Shift｜"};
    constexpr int kKeys = 58;
    const int k = (n - 1) % kKeys;
    std::string key;
    if (k < 26) {
        key = std::string(1, static_cast<char>('A' + k)) + "键";
    } else if (k < 36) {
        key = std::to_string(k - 26) + "键";
    } else if (k < 48) {
        key = "F" + std::to_string(k - 35) + "键";
    } else {
        key = "Number" + std::to_string(k - 48);
    }
    return kModifiers[(n - 1) / kKeys] + key;
}

}  // namespace vorlune::test
