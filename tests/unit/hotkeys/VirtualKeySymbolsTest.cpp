#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "hotkeys/KeyNames.h"
#include "hotkeys/x11/VirtualKeySymbols.h"

namespace vorlune {
namespace {

// A Windows virtual-key code and the X keysyms of its key, both as the platforms fix them (X11's
// keysymdef.h, the Windows VK_ table).
struct KeyFact {
    const char* name;
    std::int32_t virtualKey;
    std::vector<std::uint32_t> keysyms;
};

TEST(VirtualKeySymbols, NamedKeysGrabAndReportTheirXKeys) {
    const std::vector<KeyFact> facts{
        {"VK_CANCEL / Break", 3, {0xff6b}},
        {"VK_BACK / BackSpace", 8, {0xff08}},
        {"VK_RETURN / Return, KP_Enter", 13, {0xff0d, 0xff8d}},
        {"VK_PAUSE / Pause", 19, {0xff13}},
        {"VK_CAPITAL / Caps_Lock", 20, {0xffe5}},
        {"VK_ESCAPE / Escape", 27, {0xff1b}},
        {"VK_SPACE / space", 32, {0x20}},
        {"VK_PRIOR / Prior", 33, {0xff55}},
        {"VK_NEXT / Next", 34, {0xff56}},
        {"VK_END / End", 35, {0xff57}},
        {"VK_HOME / Home", 36, {0xff50}},
        {"VK_LEFT / Left", 37, {0xff51}},
        {"VK_UP / Up", 38, {0xff52}},
        {"VK_RIGHT / Right", 39, {0xff53}},
        {"VK_DOWN / Down", 40, {0xff54}},
        {"VK_INSERT / Insert", 45, {0xff63}},
        {"VK_DELETE / Delete", 46, {0xffff}},
        {"VK_LWIN / Super_L", 91, {0xffeb}},
        {"VK_MULTIPLY / KP_Multiply", 106, {0xffaa}},
        {"VK_ADD / KP_Add", 107, {0xffab}},
        {"VK_SUBTRACT / KP_Subtract", 109, {0xffad}},
        {"VK_DECIMAL / KP_Decimal", 110, {0xffae}},
        {"VK_DIVIDE / KP_Divide", 111, {0xffaf}},
        {"VK_NUMLOCK / Num_Lock", 144, {0xff7f}},
        {"VK_SCROLL / Scroll_Lock", 145, {0xff14}},
        {"VK_OEM_1 / semicolon", 186, {0x3b}},
        {"VK_OEM_PLUS / equal", 187, {0x3d}},
        {"VK_OEM_COMMA / comma", 188, {0x2c}},
        {"VK_OEM_MINUS / minus", 189, {0x2d}},
        {"VK_OEM_PERIOD / period", 190, {0x2e}},
        {"VK_OEM_2 / slash", 191, {0x2f}},
        {"VK_OEM_3 / grave", 192, {0x60}},
        {"VK_OEM_4 / bracketleft", 219, {0x5b}},
        {"VK_OEM_5 / backslash", 220, {0x5c}},
        {"VK_OEM_6 / bracketright", 221, {0x5d}},
        {"VK_OEM_7 / apostrophe", 222, {0x27}},
        {"VK_OEM_102 / less", 226, {0x3c}},
        // The ends of the runs of digits, letters, function keys and keypad digits.
        {"0", 48, {0x30}},
        {"9", 57, {0x39}},
        {"A / a", 65, {0x61}},
        {"Z / z", 90, {0x7a}},
        {"VK_F1 / F1", 112, {0xffbe}},
        {"VK_F16 / F16", 127, {0xffcd}},
        {"VK_F24 / F24", 135, {0xffd5}},
        {"VK_NUMPAD0 / KP_0", 96, {0xffb0}},
        {"VK_NUMPAD9 / KP_9", 105, {0xffb9}},
    };
    for (const KeyFact& fact : facts) {
        SCOPED_TRACE(fact.name);
        // A hotkey on the key grabs exactly these X keys, and the key watcher reports each of
        // them as the key again.
        EXPECT_EQ(KeysymsForVirtualKey(fact.virtualKey), fact.keysyms);
        for (const std::uint32_t keysym : fact.keysyms) {
            EXPECT_EQ(VirtualKeyForKeysym(keysym), fact.virtualKey);
        }
    }

    // Every key a hotkey can name has an X key to grab.
    for (auto table : {MainKeyTable(), KeypadKeyTable()}) {
        for (const KeyNameRow& row : table) {
            SCOPED_TRACE(row.produced);
            EXPECT_FALSE(KeysymsForVirtualKey(row.code).empty());
        }
    }
}

TEST(VirtualKeySymbols, KnownKeysymsMapToTheirVirtualKeys) {
    // Keysym values as the X protocol fixes them.
    EXPECT_EQ(VirtualKeyForKeysym(0x61), 65);     // a
    EXPECT_EQ(VirtualKeyForKeysym(0x41), 65);     // A
    EXPECT_EQ(VirtualKeyForKeysym(0x31), 49);     // 1
    EXPECT_EQ(VirtualKeyForKeysym(0xffbe), 112);  // F1
    EXPECT_EQ(VirtualKeyForKeysym(0xffcd), 127);  // F16
    EXPECT_EQ(VirtualKeyForKeysym(0xffb0), 96);   // KP_0
    EXPECT_EQ(VirtualKeyForKeysym(0xffae), 110);  // KP_Decimal
    EXPECT_EQ(VirtualKeyForKeysym(0xffaf), 111);  // KP_Divide
    EXPECT_EQ(VirtualKeyForKeysym(0xffe1), 160);  // Shift_L
    EXPECT_EQ(VirtualKeyForKeysym(0xffe2), 161);  // Shift_R
    EXPECT_EQ(VirtualKeyForKeysym(0xffe3), 162);  // Control_L
    EXPECT_EQ(VirtualKeyForKeysym(0xffe4), 163);  // Control_R
    EXPECT_EQ(VirtualKeyForKeysym(0xffe9), 164);  // Alt_L
    EXPECT_EQ(VirtualKeyForKeysym(0xffea), 165);  // Alt_R
    EXPECT_EQ(VirtualKeyForKeysym(0xffeb), 91);   // Super_L
    EXPECT_EQ(VirtualKeyForKeysym(0xffec), 92);   // Super_R
    EXPECT_EQ(VirtualKeyForKeysym(0x5c), 220);    // backslash
    EXPECT_EQ(VirtualKeyForKeysym(0x2f), 191);    // slash
    EXPECT_EQ(VirtualKeyForKeysym(0xff09), 9);    // Tab
    EXPECT_EQ(VirtualKeyForKeysym(0xff8d), 13);   // KP_Enter
    EXPECT_EQ(VirtualKeyForKeysym(0xff6b), 3);    // Break
    EXPECT_EQ(VirtualKeyForKeysym(0), 0);
    EXPECT_EQ(VirtualKeyForKeysym(0x1008ff11), 0);  // XF86AudioLowerVolume

    // Hotkeys on Ctrl, Shift, Alt and Enter grab both keys.
    EXPECT_EQ(KeysymsForVirtualKey(16), (std::vector<std::uint32_t>{0xffe1, 0xffe2}));
    EXPECT_EQ(KeysymsForVirtualKey(17), (std::vector<std::uint32_t>{0xffe3, 0xffe4}));
    EXPECT_EQ(KeysymsForVirtualKey(18), (std::vector<std::uint32_t>{0xffe9, 0xffea}));
    EXPECT_EQ(KeysymsForVirtualKey(13), (std::vector<std::uint32_t>{0xff0d, 0xff8d}));
    EXPECT_EQ(KeysymsForVirtualKey(65), (std::vector<std::uint32_t>{0x61}));
    EXPECT_EQ(KeysymsForVirtualKey(96), (std::vector<std::uint32_t>{0xffb0}));
    EXPECT_TRUE(KeysymsForVirtualKey(0).empty());
    EXPECT_TRUE(KeysymsForVirtualKey(255).empty());
}

TEST(VirtualKeySymbols, TypedKeysymsOfHigherShiftLevelsCountAsTheKeyTheyAreOn) {
    EXPECT_EQ(VirtualKeyForTypedKeysym(0x21), 49);     // exclam: Shift and 1
    EXPECT_EQ(VirtualKeyForTypedKeysym(0x29), 48);     // parenright: Shift and 0
    EXPECT_EQ(VirtualKeyForTypedKeysym(0x3c), 188);    // less: Shift and comma
    EXPECT_EQ(VirtualKeyForTypedKeysym(0x3f), 191);    // question: Shift and slash
    EXPECT_EQ(VirtualKeyForTypedKeysym(0x7c), 220);    // bar: Shift and backslash
    EXPECT_EQ(VirtualKeyForTypedKeysym(0xff9c), 97);   // KP_End: keypad 1 without NumLock
    EXPECT_EQ(VirtualKeyForTypedKeysym(0xff9f), 110);  // KP_Delete: keypad point
    // First-level keysyms as the desktop-wide watcher maps them.
    EXPECT_EQ(VirtualKeyForTypedKeysym(0x41), 65);     // A
    EXPECT_EQ(VirtualKeyForTypedKeysym(0xffbe), 112);  // F1
    EXPECT_EQ(VirtualKeyForTypedKeysym(0xffe4), 163);  // Control_R
    EXPECT_EQ(VirtualKeyForTypedKeysym(0x1008ff11), 0);
}

TEST(VirtualKeySymbols, KeypadKeysAreWatchedAsDigitsWhateverNumLockSays) {
    EXPECT_EQ(WatchedKeysym(0xff9e, 0xffb0), 0xffb0u);  // KP_Insert / KP_0
    EXPECT_EQ(WatchedKeysym(0xff9f, 0xffae), 0xffaeu);  // KP_Delete / KP_Decimal
    EXPECT_EQ(WatchedKeysym(0x61, 0x41), 0x61u);        // a / A
    EXPECT_EQ(WatchedKeysym(0xffab, 0xffab), 0xffabu);  // KP_Add
}

}  // namespace
}  // namespace vorlune
