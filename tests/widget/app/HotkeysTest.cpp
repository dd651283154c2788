#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "AppFixture.h"
#include "DistinctHotkeys.h"
#include "app/ControlStrip.h"
#include "app/MainWindow.h"
#include "app/SwitchButton.h"
#include "hotkeys/SpecialHotkeys.h"

namespace vorlune {
namespace {

using test::AppFixture;

constexpr std::int32_t kPause = SpecialHotkeyOf(SpecialHotkey::Pause).id;
constexpr std::int32_t kStop = SpecialHotkeyOf(SpecialHotkey::Stop).id;
constexpr std::int32_t kMasterSwitch = SpecialHotkeyOf(SpecialHotkey::MasterSwitch).id;

std::string SlotHotkey(int n) {
    return test::DistinctSlotHotkey(n);
}

TEST_F(AppFixture, EverySlotHotkeyDoesWhatAClickOnItsButtonDoes) {
    Config("[是否设置快捷按钮]\r\n值=1\r\n");
    std::string list;
    for (int n = 1; n <= 209; ++n) {
        // No file: a trigger shows the hint and records the slot as the last one triggered.
        list += "[音效" + std::to_string(n) + "]\r\n名称=第" + std::to_string(n) + "\r\ndz=音效" +
                std::to_string(n) + "｜\r\nkjj=" + SlotHotkey(n) + "\r\n";
    }
    List(list);
    Start();
    for (int n = 1; n <= 209; ++n) {
        ASSERT_TRUE(hotkeys.Fire(n)) << n;
        ASSERT_EQ(state.lastTriggered.name, "第" + std::to_string(n));
        ASSERT_EQ(state.lastTriggered.hotkey, SlotHotkey(n));
        const std::size_t boxes = prompts.shown.size();
        state.lastTriggered = {};
        Button(n)->click();
        ASSERT_EQ(state.lastTriggered.name, "第" + std::to_string(n));
        ASSERT_EQ(prompts.shown.size(), boxes + 1);
        ASSERT_EQ(prompts.shown[boxes - 1], prompts.shown[boxes]);
    }
    EXPECT_EQ(
        Label(209)->text(),
        QString::fromStdString(SlotHotkey(209)).replace(QStringLiteral("｜"), QStringLiteral("+")));
}

TEST_F(AppFixture, TheMasterSwitchTurnsSlotHotkeysOffAndItsOwnHotkeyBackOn) {
    Config("[音效快键控制]\r\n值=Ctrl｜F10键\r\n[音效声场停止]\r\n值=Ctrl｜F12键\r\n");
    List("[音效1]\r\n名称=甲\r\nkjj=Ctrl｜F1键\r\n");
    Start();
    SwitchButton* master = Window().Controls()->HotkeySwitch();
    // Missing value: off, only the master hotkey is held, the labels still show every text.
    EXPECT_FALSE(hotkeys.Held(1).has_value());
    EXPECT_TRUE(hotkeys.Held(kMasterSwitch).has_value());
    EXPECT_FALSE(hotkeys.Held(kStop).has_value());
    EXPECT_EQ(Window().Controls()->HotkeyLabel(SpecialHotkey::Stop)->text(),
              QStringLiteral("Ctrl+F12键"));

    master->click();
    EXPECT_EQ(settings.Read(setting::kHotkeysOn), "1");
    EXPECT_TRUE(hotkeys.Held(1).has_value());
    EXPECT_TRUE(hotkeys.Held(kStop).has_value());
    EXPECT_EQ(master->Shown(), SwitchButton::Picture::On);
    EXPECT_EQ(tray.ShownState(), true);
    EXPECT_TRUE(tray.Tip().endsWith(QStringLiteral("已经开启")));

    ASSERT_TRUE(hotkeys.Fire(kMasterSwitch));  // "1" turns it off
    EXPECT_EQ(settings.Read(setting::kHotkeysOn), "0");
    EXPECT_FALSE(hotkeys.Held(1).has_value());
    EXPECT_EQ(master->Shown(), SwitchButton::Picture::Off);
    EXPECT_EQ(tray.ShownState(), false);
    EXPECT_TRUE(tray.Tip().endsWith(QStringLiteral("已经关闭")));

    ASSERT_TRUE(hotkeys.Fire(kMasterSwitch));  // "0" turns it on again
    EXPECT_EQ(settings.Read(setting::kHotkeysOn), "1");
    EXPECT_TRUE(hotkeys.Held(1).has_value());

    settings.Write(setting::kHotkeysOn, "2");  // neither: nothing happens
    master->click();
    EXPECT_EQ(settings.Read(setting::kHotkeysOn), "2");
    EXPECT_TRUE(hotkeys.Held(1).has_value());
    EXPECT_EQ(master->Shown(), SwitchButton::Picture::On);
}

TEST_F(AppFixture, AMasterSwitchToggleInsideAnotherOneLeavesEverythingAgreeing) {
    Config("[是否设置快捷按钮]\r\n值=1\r\n[音效快键控制]\r\n值=Ctrl｜F10键\r\n");
    List("[音效1]\r\n名称=甲\r\nkjj=Ctrl｜F1键\r\n");
    Start();
    SwitchButton* master = Window().Controls()->HotkeySwitch();
    // The master hotkey fires again while a click's registration lets waiting events run (a
    // held key repeating, or a second press): the switch ends where the last toggle put it.
    const auto clickWithTheHotkeyInside = [&](int repeats) {
        int fired = 0;
        for (int i = 0; i < repeats; ++i) {
            QTimer::singleShot(0, [&] { fired += hotkeys.Fire(kMasterSwitch) ? 1 : 0; });
        }
        master->click();
        EXPECT_EQ(fired, repeats);
    };
    const auto agree = [&](bool on) {
        EXPECT_EQ(settings.Read(setting::kHotkeysOn), on ? "1" : "0");
        EXPECT_EQ(master->Shown(), on ? SwitchButton::Picture::On : SwitchButton::Picture::Off);
        EXPECT_EQ(tray.ShownState(), on);
        EXPECT_TRUE(
            tray.Tip().endsWith(on ? QStringLiteral("已经开启") : QStringLiteral("已经关闭")));
        EXPECT_EQ(hotkeys.Held(1).has_value(), on);
        EXPECT_TRUE(hotkeys.Held(kMasterSwitch).has_value());
    };
    clickWithTheHotkeyInside(1);  // off by the click, on again by the hotkey
    agree(true);
    master->click();
    agree(false);
    clickWithTheHotkeyInside(1);  // on by the click, off again by the hotkey
    agree(false);
    // Held down: each repeat toggles inside the registration of the one before.
    clickWithTheHotkeyInside(2);  // on, off, on
    agree(true);
}

TEST_F(AppFixture, TheStopAndPauseHotkeysRunTheirButtonsAndLoseToASlotWithTheSameKeys) {
    Config(
        "[是否设置快捷按钮]\r\n值=1\r\n[音效声场控制]\r\n值=Ctrl｜F11键\r\n[音效声场停止]\r\n值="
        "Ctrl｜F1键\r\n");
    List("[音效1]\r\n名称=甲\r\nkjj=Ctrl｜F1键\r\n");
    Start();
    EXPECT_FALSE(hotkeys.Held(kStop).has_value());  // slot 1 holds Ctrl+F1
    ASSERT_TRUE(hotkeys.Fire(kPause));
    EXPECT_EQ(Window().Controls()->PauseShown(), ControlStrip::PausePicture::Play);
}

TEST_F(AppFixture, WithoutGlobalHotkeysTheStatusBarSaysSoAndClicksStillWork) {
    hotkeys.SetAvailable(false);
    List("[音效1]\r\n名称=甲\r\ndz=音效1｜\r\n");
    Start();
    EXPECT_NE(Window().StatusText(), QStringLiteral("准备就绪"));
    EXPECT_TRUE(Window().StatusText().contains(QStringLiteral("快捷键")));
    // A copy that could not look for another copy says so as well; the first notice stays.
    app->SayOtherCopiesUnchecked();
    EXPECT_TRUE(Window().StatusText().startsWith(QStringLiteral("全局快捷键不可用")));
    EXPECT_TRUE(Window().StatusText().endsWith(QStringLiteral("本次照常启动")));
    Button(1)->click();
    EXPECT_EQ(state.lastTriggered.name, "甲");
}

}  // namespace
}  // namespace vorlune
