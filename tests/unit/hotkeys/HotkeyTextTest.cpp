#include <gtest/gtest.h>

#include "hotkeys/HotkeyText.h"

namespace vorlune {
namespace {

TEST(HotkeyText, ModifierWordsAreByteExact) {
    EXPECT_EQ(ModifierFlags("Ctrl"), 2u);
    EXPECT_EQ(ModifierFlags("Alt"), 1u);
    EXPECT_EQ(ModifierFlags("Shift"), 4u);
    EXPECT_EQ(ModifierFlags("Win"), 8u);
    for (const char* word : {"", "ctrl", "CTRL", "Ctrl ", "Control", "win", "Ctrl+", "Ctrl｜"}) {
        EXPECT_EQ(ModifierFlags(word), 0u) << word;
    }
}

TEST(HotkeyText, SplitsStoredTextAtTheFirstAndLastSeparator) {
    EXPECT_EQ(HotkeyModifierPart("Ctrl｜A键"), "Ctrl");
    EXPECT_EQ(HotkeyKeyPart("Ctrl｜A键"), "A键");
    EXPECT_EQ(HotkeyModifierPart("A键"), "");
    EXPECT_EQ(HotkeyKeyPart("A键"), "A键");
    EXPECT_EQ(HotkeyModifierPart(""), "");
    EXPECT_EQ(HotkeyKeyPart(""), "");
    // Nothing after the separator: the whole text is the key part.
    EXPECT_EQ(HotkeyModifierPart("Ctrl｜"), "Ctrl");
    EXPECT_EQ(HotkeyKeyPart("Ctrl｜"), "Ctrl｜");
    EXPECT_EQ(HotkeyModifierPart("Ctrl｜Shift｜A键"), "Ctrl");
    EXPECT_EQ(HotkeyKeyPart("Ctrl｜Shift｜A键"), "A键");
    EXPECT_EQ(HotkeyModifierPart("｜A键"), "");
    EXPECT_EQ(HotkeyKeyPart("｜A键"), "A键");
    // The display separator is not a separator of the stored form.
    EXPECT_EQ(HotkeyModifierPart("Ctrl+A键"), "");
    EXPECT_EQ(HotkeyKeyPart("Ctrl+A键"), "Ctrl+A键");
}

TEST(HotkeyText, StoredTextRegistersAsMaskAndCode) {
    EXPECT_EQ(ParseStoredHotkey("Ctrl｜A键"), (HotkeyCombination{2, 65}));
    EXPECT_EQ(ParseStoredHotkey("Ctrl｜a键"), (HotkeyCombination{2, 65}));
    EXPECT_EQ(ParseStoredHotkey("A键"), (HotkeyCombination{0, 65}));
    EXPECT_EQ(ParseStoredHotkey(""), (HotkeyCombination{0, 0}));
    EXPECT_EQ(ParseStoredHotkey("Ctrl｜"), (HotkeyCombination{2, 0}));
    EXPECT_EQ(ParseStoredHotkey("ctrl｜a键"), (HotkeyCombination{0, 65}));
    EXPECT_EQ(ParseStoredHotkey("Ctrl｜Shift｜A键"), (HotkeyCombination{2, 65}));
    EXPECT_EQ(ParseStoredHotkey("Win｜F1键"), (HotkeyCombination{8, 112}));
    EXPECT_EQ(ParseStoredHotkey("Break"), (HotkeyCombination{0, 0}));
    EXPECT_EQ(ParseStoredHotkey("Caps Lock键"), (HotkeyCombination{0, 0}));
    EXPECT_EQ(ParseStoredHotkey("Shift｜NumLock键"), (HotkeyCombination{4, 144}));
    EXPECT_EQ(ParseStoredHotkey("Alt｜ScrollLock键"), (HotkeyCombination{1, 145}));
    EXPECT_EQ(ParseStoredHotkey("Shift｜Number1"), (HotkeyCombination{4, 97}));
    EXPECT_EQ(ParseStoredHotkey("Alt｜回车键"), (HotkeyCombination{1, 13}));
    // A display text by mistake in the store: no separator, and no key of that name.
    EXPECT_EQ(ParseStoredHotkey("Ctrl+A键"), (HotkeyCombination{0, 0}));
}

TEST(HotkeyText, DisplayAndStoredFormsSwapEverySeparator) {
    EXPECT_EQ(StoredToDisplay("Ctrl｜A键"), "Ctrl+A键");
    EXPECT_EQ(DisplayToStored("Shift+加号键"), "Shift｜加号键");
    EXPECT_EQ(DisplayToStored("Ctrl+"), "Ctrl｜");
    EXPECT_EQ(DisplayToStored("a+b+c"), "a｜b｜c");
    EXPECT_EQ(StoredToDisplay("｜｜x｜"), "++x+");
    EXPECT_EQ(DisplayToStored(""), "");
    EXPECT_EQ(StoredToDisplay("F5键"), "F5键");
    // The bar is three bytes in UTF-8 (EF BD 9C); a lone part of it is no separator.
    EXPECT_EQ(StoredToDisplay("\xEF\xBD"), "\xEF\xBD");
    EXPECT_EQ(DisplayToStored("Ctrl+A键"),
              "Ctrl\xEF\xBD\x9C"
              "A键");
}

TEST(HotkeyText, ComposesTheTextOfAKeyPress) {
    EXPECT_EQ(ComposeHotkeyText(17, 65), "Ctrl+A键");
    EXPECT_EQ(ComposeHotkeyText(18, 13), "Alt+回车键");
    EXPECT_EQ(ComposeHotkeyText(16, 97), "Shift+Number1");
    EXPECT_EQ(ComposeHotkeyText(17, 162), "Ctrl+");
    EXPECT_EQ(ComposeHotkeyText(17, 0), "Ctrl+");
    EXPECT_EQ(ComposeHotkeyText(91, 65), "A键");
    EXPECT_EQ(ComposeHotkeyText(0, 112), "F1键");
    EXPECT_EQ(ComposeHotkeyText(0, 9), "");
    EXPECT_EQ(ComposeHotkeyText(0, 91), "Win键");
    EXPECT_EQ(ComposeHotkeyText(0, 92), "");
    EXPECT_EQ(ComposeHotkeyText(160, 65), "A键");  // only the generic codes count as held
    EXPECT_EQ(ComposeHotkeyText(16, 3), "Shift+Break");
    // A composed text stores and registers as the same combination where the names round-trip.
    EXPECT_EQ(ParseStoredHotkey(DisplayToStored(ComposeHotkeyText(17, 112))),
              (HotkeyCombination{2, 112}));
    EXPECT_EQ(ParseStoredHotkey(DisplayToStored(ComposeHotkeyText(16, 3))),
              (HotkeyCombination{4, 0}));
}

}  // namespace
}  // namespace vorlune
