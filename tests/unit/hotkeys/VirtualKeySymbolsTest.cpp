#include <gtest/gtest.h>

#include "hotkeys/KeyNames.h"
#include "hotkeys/x11/VirtualKeySymbols.h"

namespace vorlune {
namespace {

TEST(VirtualKeySymbols, EveryNamedKeyHasAnXKey) {
    for (auto table : {MainKeyTable(), KeypadKeyTable()}) {
        for (const KeyNameRow& row : table) {
            SCOPED_TRACE(row.produced);
            const std::vector<std::uint32_t> keysyms = KeysymsForVirtualKey(row.code);
            ASSERT_FALSE(keysyms.empty());
            // What the watcher reports for that X key names the same key again.
            const std::int32_t watched = VirtualKeyForKeysym(keysyms.front());
            switch (row.code) {
                case 16:
                    EXPECT_EQ(watched, 160);
                    break;
                case 17:
                    EXPECT_EQ(watched, 162);
                    break;
                case 18:
                    EXPECT_EQ(watched, 164);
                    break;
                default:
                    EXPECT_EQ(watched, row.code);
            }
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
    EXPECT_EQ(KeysymsForVirtualKey(17), (std::vector<std::uint32_t>{0xffe3, 0xffe4}));
    EXPECT_EQ(KeysymsForVirtualKey(13), (std::vector<std::uint32_t>{0xff0d, 0xff8d}));
    EXPECT_EQ(KeysymsForVirtualKey(65), (std::vector<std::uint32_t>{0x61}));
    EXPECT_EQ(KeysymsForVirtualKey(96), (std::vector<std::uint32_t>{0xffb0}));
    EXPECT_TRUE(KeysymsForVirtualKey(0).empty());
    EXPECT_TRUE(KeysymsForVirtualKey(255).empty());
}

TEST(VirtualKeySymbols, KeypadKeysAreWatchedAsDigitsWhateverNumLockSays) {
    EXPECT_EQ(WatchedKeysym(0xff9e, 0xffb0), 0xffb0u);  // KP_Insert / KP_0
    EXPECT_EQ(WatchedKeysym(0xff9f, 0xffae), 0xffaeu);  // KP_Delete / KP_Decimal
    EXPECT_EQ(WatchedKeysym(0x61, 0x41), 0x61u);        // a / A
    EXPECT_EQ(WatchedKeysym(0xffab, 0xffab), 0xffabu);  // KP_Add
}

}  // namespace
}  // namespace vorlune
