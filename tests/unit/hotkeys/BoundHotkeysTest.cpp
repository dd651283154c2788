#include <gtest/gtest.h>

#include "hotkeys/BoundHotkeys.h"
#include "hotkeys/fake/FakeHotkeyBackend.h"

namespace vorlune {
namespace {

using State = BoundHotkeys::State;

constexpr HotkeyCombination kCtrlF1{kModControl, 112};
constexpr HotkeyCombination kCtrlF2{kModControl, 113};
constexpr HotkeyCombination kCtrlF10{kModControl, 121};

TEST(BoundHotkeys, TheSetIsHandedOverAgainOnlyWhenItsCombinationsChange) {
    FakeHotkeyBackend desktop;
    desktop.SetBindsSets(true);
    BoundHotkeys bound(desktop);
    int answers = 0;
    bound.SetAnsweredHandler([&] { ++answers; });

    EXPECT_TRUE(bound.Bind({{1, kCtrlF1, "Tone"}, {886, kCtrlF10, "*音效快捷开关"}}));
    ASSERT_EQ(desktop.Sets().size(), 1U);
    EXPECT_EQ(desktop.Sets()[0][0].description, "Tone");
    EXPECT_EQ(bound.StateOf(1), State::Waiting);
    EXPECT_EQ(bound.OtherTrigger(1), std::nullopt);

    // The same combinations, in another order and with another name: nothing is asked.
    EXPECT_FALSE(bound.Bind({{886, kCtrlF10, "*音效快捷开关"}, {1, kCtrlF1, "Bell"}}));
    EXPECT_EQ(desktop.Sets().size(), 1U);
    EXPECT_EQ(bound.Binds(), 1U);

    desktop.Answer();
    EXPECT_EQ(answers, 1);
    EXPECT_EQ(bound.StateOf(1), State::Held);
    EXPECT_EQ(bound.StateOf(886), State::Held);
    EXPECT_EQ(bound.StateOf(2), State::Refused);
    EXPECT_FALSE(bound.Contains(2));

    // A changed, a new and a cleared hotkey each make a new set; the new name goes with it.
    EXPECT_TRUE(bound.Bind({{1, kCtrlF2, "Bell"}, {886, kCtrlF10, "*音效快捷开关"}}));
    EXPECT_EQ(bound.StateOf(1), State::Waiting);
    EXPECT_TRUE(bound.Bind({{1, kCtrlF2, "Bell"}, {2, kCtrlF1, "Two"}, {886, kCtrlF10, "m"}}));
    EXPECT_TRUE(bound.Bind({{1, kCtrlF2, "Bell"}, {2, kCtrlF1, "Two"}}));
    ASSERT_EQ(desktop.Sets().size(), 4U);
    EXPECT_EQ(desktop.Sets()[1][0].description, "Bell");
    EXPECT_TRUE(bound.Contains(2));
    EXPECT_FALSE(bound.Contains(886));
}

TEST(BoundHotkeys, AnIdHoldsItsCombinationOnlyWhenTheDesktopsTriggerNamesIt) {
    FakeHotkeyBackend desktop;
    desktop.SetBindsSets(true);
    BoundHotkeys bound(desktop);
    bound.Bind(
        {{1, kCtrlF1, "a"}, {2, kCtrlF2, "b"}, {3, {kModAlt, 'A'}, "c"}, {4, kCtrlF10, "d"}});
    // Another trigger, none given, left out; Plasma's wording of the asked one.
    desktop.Answer({{1, "Alt+F1"}, {2, ""}, {3, "-"}, {4, "Ctrl+F10"}});
    EXPECT_EQ(bound.StateOf(1), State::Refused);
    EXPECT_EQ(bound.OtherTrigger(1), "Alt+F1");
    EXPECT_EQ(bound.StateOf(2), State::Refused);
    EXPECT_EQ(bound.OtherTrigger(2), "");
    EXPECT_EQ(bound.StateOf(3), State::Refused);
    EXPECT_EQ(bound.OtherTrigger(3), "");
    EXPECT_EQ(bound.StateOf(4), State::Held);
    EXPECT_EQ(bound.OtherTrigger(4), std::nullopt);

    // The user sets the asked trigger in the desktop's settings after all.
    desktop.Answer({{1, "Ctrl+F1"}, {2, ""}, {3, "-"}});
    EXPECT_EQ(bound.StateOf(1), State::Held);

    // The desktop refuses the whole set (or the session ends): nothing is held.
    desktop.AnswerNothing();
    for (const std::int32_t id : {1, 2, 3, 4}) {
        EXPECT_EQ(bound.StateOf(id), State::Refused) << id;
    }
    EXPECT_EQ(bound.OtherTrigger(4), "");
    // The ids are still in the set: a press the desktop reports still comes from them.
    EXPECT_TRUE(bound.Contains(4));
}

}  // namespace
}  // namespace vorlune
