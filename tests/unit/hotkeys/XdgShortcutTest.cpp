#include <gtest/gtest.h>

#include "hotkeys/HotkeyText.h"
#include "hotkeys/KeyNames.h"
#include "hotkeys/portal/XdgShortcut.h"

namespace vorlune {
namespace {

std::optional<std::string> TriggerOfStored(std::string_view stored) {
    return XdgTrigger(ParseStoredHotkey(stored));
}

TEST(XdgShortcut, StoredHotkeysBecomePreferredTriggersInTheShortcutsSyntax) {
    EXPECT_EQ(TriggerOfStored("Ctrl｜F1键"), "CTRL+F1");
    EXPECT_EQ(TriggerOfStored("Alt｜A键"), "ALT+a");
    EXPECT_EQ(TriggerOfStored("Shift｜Number1"), "SHIFT+KP_1");
    EXPECT_EQ(TriggerOfStored("Win｜F12键"), "LOGO+F12");
    EXPECT_EQ(TriggerOfStored("F16键"), "F16");
    EXPECT_EQ(TriggerOfStored("Ctrl｜回车键"), "CTRL+Return");
    EXPECT_EQ(TriggerOfStored("空格键"), "space");
    EXPECT_EQ(TriggerOfStored("Alt｜PageUp键"), "ALT+Page_Up");
    EXPECT_EQ(TriggerOfStored("Ctrl｜分号键"), "CTRL+semicolon");
    EXPECT_EQ(TriggerOfStored("Ctrl｜斜杠键"), "CTRL+backslash");
    EXPECT_EQ(TriggerOfStored("Ctrl｜除号键"), "CTRL+slash");
    EXPECT_EQ(TriggerOfStored("Shift｜分号"), "SHIFT+KP_Subtract");
    EXPECT_EQ(TriggerOfStored("Ctrl｜7键"), "CTRL+7");
    EXPECT_EQ(TriggerOfStored("Ctrl｜Del键"), "CTRL+Delete");
    // Several modifiers (not produced by the capture, but a valid mask) in one fixed order.
    EXPECT_EQ(XdgTrigger({kModWin | kModShift, 'A'}), "SHIFT+LOGO+a");
    EXPECT_EQ(XdgTrigger({kModAlt | kModControl | kModShift, 112}), "SHIFT+CTRL+ALT+F1");
    // No key, or a key without a name in the shortcuts syntax: nothing to ask for.
    EXPECT_EQ(TriggerOfStored(""), std::nullopt);
    EXPECT_EQ(TriggerOfStored("Ctrl｜"), std::nullopt);
    EXPECT_EQ(TriggerOfStored("Break"), std::nullopt);
    EXPECT_EQ(XdgTrigger({kModControl, 255}), std::nullopt);

    // Every key a hotkey can be stored with has a name there.
    for (auto table : {MainKeyTable(), KeypadKeyTable()}) {
        for (const KeyNameRow& row : table) {
            EXPECT_TRUE(XdgTrigger({kModControl, row.code}).has_value()) << row.produced;
        }
    }
}

TEST(XdgShortcut, ADesktopsWordingOfATriggerIsComparedWithTheStoredCombination) {
    const HotkeyCombination ctrlF1{kModControl, 112};
    // Our own syntax, Plasma's key-sequence text, GNOME's accelerator inside a sentence.
    EXPECT_TRUE(TriggerDescribes("CTRL+F1", ctrlF1));
    EXPECT_TRUE(TriggerDescribes("Ctrl+F1", ctrlF1));
    EXPECT_TRUE(TriggerDescribes("Press <Control>F1", ctrlF1));
    EXPECT_TRUE(TriggerDescribes("按下 <Primary>F1", ctrlF1));
    EXPECT_TRUE(TriggerDescribes("Strg+F1", ctrlF1));
    // Several triggers: any of them.
    EXPECT_TRUE(TriggerDescribes("Meta+F3, Ctrl+F1", ctrlF1));
    EXPECT_TRUE(TriggerDescribes("Ctrl+F1, Meta+F3", ctrlF1));
    EXPECT_TRUE(TriggerDescribes("Press <Super>F3 or <Control>F1", ctrlF1));

    // Another modifier, another key, a modifier more or less, or nothing at all.
    EXPECT_FALSE(TriggerDescribes("Alt+F1", ctrlF1));
    EXPECT_FALSE(TriggerDescribes("Ctrl+F2", ctrlF1));
    EXPECT_FALSE(TriggerDescribes("Ctrl+Shift+F1", ctrlF1));
    EXPECT_FALSE(TriggerDescribes("F1", ctrlF1));
    EXPECT_FALSE(TriggerDescribes("Ctrl+F11", ctrlF1));
    EXPECT_FALSE(TriggerDescribes("", ctrlF1));
    EXPECT_FALSE(TriggerDescribes("Press", ctrlF1));
    EXPECT_FALSE(TriggerDescribes("Ctrl+", ctrlF1));
    EXPECT_FALSE(TriggerDescribes("Hyper+F1", ctrlF1));

    EXPECT_TRUE(TriggerDescribes("SHIFT+LOGO+a", {kModShift | kModWin, 'A'}));
    EXPECT_TRUE(TriggerDescribes("Meta+Shift+A", {kModShift | kModWin, 'A'}));
    EXPECT_TRUE(TriggerDescribes("<Shift><Super>a", {kModShift | kModWin, 'A'}));
    EXPECT_TRUE(TriggerDescribes("Alt+PgUp", {kModAlt, 33}));
    EXPECT_TRUE(TriggerDescribes("Press <Alt>Prior", {kModAlt, 33}));
    EXPECT_TRUE(TriggerDescribes("Ctrl+Return", {kModControl, 13}));
    EXPECT_TRUE(TriggerDescribes("Ctrl+Enter", {kModControl, 13}));
    EXPECT_TRUE(TriggerDescribes("Space", {0, 32}));
    EXPECT_TRUE(TriggerDescribes("Ctrl+;", {kModControl, 186}));
    EXPECT_TRUE(TriggerDescribes("Ctrl+,", {kModControl, 188}));
    EXPECT_TRUE(TriggerDescribes("Ctrl+=, Alt+F4", {kModControl, 187}));
    // Keypad keys: Plasma marks them with "Num", the shortcuts syntax names them KP_.
    EXPECT_TRUE(TriggerDescribes("Shift+Num+1", {kModShift, 97}));
    EXPECT_TRUE(TriggerDescribes("SHIFT+KP_1", {kModShift, 97}));
    EXPECT_FALSE(TriggerDescribes("Shift+1", {kModShift, 97}));
    EXPECT_TRUE(TriggerDescribes("Ctrl+Num++", {kModControl, 107}));
    EXPECT_TRUE(TriggerDescribes("Ctrl+Num+*", {kModControl, 106}));
    // Key code 0 is never described.
    EXPECT_FALSE(TriggerDescribes("Ctrl", {kModControl, 0}));
}

TEST(XdgShortcut, ShortcutIdsNameSlotsAndTheThreeSpecialHotkeys) {
    EXPECT_EQ(PortalShortcutId(1), "slot-1");
    EXPECT_EQ(PortalShortcutId(12), "slot-12");
    EXPECT_EQ(PortalShortcutId(209), "slot-209");
    EXPECT_EQ(PortalShortcutId(844), "pause");
    EXPECT_EQ(PortalShortcutId(855), "stop");
    EXPECT_EQ(PortalShortcutId(886), "master");
    EXPECT_EQ(PortalShortcutId(0), "");
    EXPECT_EQ(PortalShortcutId(210), "");

    EXPECT_EQ(HotkeyIdOfPortalShortcut("slot-12"), 12);
    EXPECT_EQ(HotkeyIdOfPortalShortcut("slot-209"), 209);
    EXPECT_EQ(HotkeyIdOfPortalShortcut("pause"), 844);
    EXPECT_EQ(HotkeyIdOfPortalShortcut("stop"), 855);
    EXPECT_EQ(HotkeyIdOfPortalShortcut("master"), 886);
    for (const char* other : {"slot-0", "slot-210", "slot-012", "slot-", "slot-1x", "slot--1",
                              "Slot-1", "slot1", "", "pause ", "844"}) {
        EXPECT_EQ(HotkeyIdOfPortalShortcut(other), std::nullopt) << other;
    }
}

}  // namespace
}  // namespace vorlune
