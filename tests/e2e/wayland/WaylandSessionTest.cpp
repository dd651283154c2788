// The built program as a native Wayland client on weston's headless backend, with no X server
// at all: its window, menus, message boxes and slot dialog work, the dialog captures the keys
// typed into it, and what Wayland does not grant (a shadow under the dialog, keeping the window
// above) is left out quietly. Its global hotkeys go through Debian's real xdg-desktop-portal on
// a private session bus, with the tests' own desktop side behind it; each step is checked by
// what the sink plays.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "AudioTestFiles.h"
#include "Commands.h"
#include "DesktopPortal.h"
#include "MainWindowPlaces.h"
#include "ProgramUnderTest.h"
#include "PulseServer.h"
#include "SessionBus.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "WestonDisplay.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;

constexpr char kSlotList[] =
    "[音效1]\n名称=Tone\ndz=音效1｜[取运行目录]\\Sounds\\Common\\tone.wav\nkjj=Ctrl｜F1键\n";

bool Quiet(const test::SinkRecorder& sink, std::size_t from) {
    return test::Loudest(sink.Left(), from).rms < 0.001;
}

// Half a second of silence within the limit: a fade and the output's latency come first.
bool FallsQuiet(const test::SinkRecorder& sink, std::chrono::milliseconds limit = 2500ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        const std::size_t mark = sink.FramesSoFar();
        std::this_thread::sleep_for(500ms);
        if (Quiet(sink, mark)) {
            return true;
        }
    }
    return false;
}

// The window of the title that shows now; a window with no title is a pop-up (a menu).
std::optional<test::WaylandWindow> Shown(const test::WestonDisplay& weston,
                                         const std::string& title) {
    for (const test::WaylandWindow& window : weston.Windows()) {
        if (title.empty() ? window.title.empty() : window.title.find(title) != std::string::npos) {
            return window;
        }
    }
    return std::nullopt;
}

std::string Describe(const std::vector<test::WaylandWindow>& windows) {
    std::string text;
    for (const test::WaylandWindow& w : windows) {
        text += std::to_string(w.x) + "," + std::to_string(w.y) + " " + std::to_string(w.width) +
                "x" + std::to_string(w.height) + " '" + w.title + "'\n";
    }
    return text;
}

class WaylandE2e : public ::testing::Test {
  protected:
    bool ClickIn(const test::WaylandWindow& window, test::Point at, int button = BTN_LEFT) {
        return weston.Click(window.x + at.x, window.y + at.y, button);
    }

    // The slot's menu, popped up by a right-click on its button, and its hotkey item: the slot
    // dialog that opens, or nothing. Under load a pop-up can show before it takes a click, so
    // the item is tried again, and the menu too once it has gone.
    std::optional<test::WaylandWindow> OpenHotkeyDialog(const test::WaylandWindow& main,
                                                        test::Point slot) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            std::optional<test::WaylandWindow> menu = Shown(weston, "");
            if (!menu &&
                (!ClickIn(main, slot, BTN_RIGHT) ||
                 !test::WaitFor([&] { return (menu = Shown(weston, "")).has_value(); }, 5s))) {
                continue;
            }
            std::this_thread::sleep_for(300ms);
            if (weston.Click(menu->x + 40, menu->y + 32, BTN_LEFT)) {
                if (std::optional<test::WaylandWindow> dialog =
                        weston.WaitForWindow("其他设置", 4s)) {
                    return dialog;
                }
            }
        }
        return std::nullopt;
    }

    // Writes the INI files and the slots' tones (file name below Sounds/Common, frequency,
    // seconds), starts the recorder on sink A and the program on weston, and waits until its
    // window shows; the window, or nothing.
    std::optional<test::WaylandWindow> Launch(
        const std::string& config, const std::string& slotList,
        const std::vector<std::tuple<std::string, double, double>>& tones) {
        EXPECT_TRUE(weston.Ready()) << weston.Log();
        EXPECT_TRUE(pulse.Ready()) << pulse.Log();
        if (!program.Installed() || !program.WriteConfig(config) ||
            !program.WriteSlotList(slotList)) {
            return std::nullopt;
        }
        for (const auto& [file, frequency, seconds] : tones) {
            if (!test::WriteToneWav(
                    program.File("Sounds/Common/" + file),
                    {.frequency = frequency, .seconds = seconds, .amplitude = 0.5})) {
                return std::nullopt;
            }
        }
        sink = std::make_unique<test::SinkRecorder>("A", dir.File("A.raw"));
        if (!sink->Started()) {
            return std::nullopt;
        }
        // A null sink starts a new output in 2-second blocks: time before and after.
        std::this_thread::sleep_for(2500ms);
        program.RunOnWayland(weston);
        if (!program.Start()) {
            ADD_FAILURE() << program.Log() << weston.Log();
            return std::nullopt;
        }
        return Shown(weston, "Vorlune");
    }

    test::TempDir dir;
    test::WestonDisplay weston{dir.Path()};
    test::PulseServer pulse{dir.Path()};
    test::ProgramUnderTest program{dir.Path()};
    std::unique_ptr<test::SinkRecorder> sink;
};

TEST_F(WaylandE2e, WindowMenusBoxesAndTheSlotDialogWorkAsANativeClient) {
    // A session bus of its own with no portal on it: the program must not bind its hotkeys with
    // the desktop the tests run in.
    test::SessionBus bus(dir.Path());
    ASSERT_TRUE(bus.Start());
    const std::optional<test::WaylandWindow> main =
        Launch(test::kPlainConfig, kSlotList, {{"tone.wav", 440, 1.0}});
    ASSERT_TRUE(main.has_value());
    std::this_thread::sleep_for(2500ms);

    // A click plays the slot.
    std::size_t mark = sink->FramesSoFar();
    ASSERT_TRUE(ClickIn(*main, test::SlotButtonCentre(0, 0, 1)));
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(*sink, mark); }, 6s)) << program.Log();

    // A click on an empty slot says how to fill it, in a box that Return answers.
    ASSERT_TRUE(ClickIn(*main, test::SlotButtonCentre(0, 2, 2)));
    EXPECT_TRUE(weston.WaitForWindow("信息：").has_value()) << program.Log();
    ASSERT_TRUE(weston.Chord({KEY_ENTER}));
    EXPECT_TRUE(test::WaitFor([&] { return !Shown(weston, "信息："); }, 5s));

    // The slot menu pops up where it was asked for; its hotkey item opens the frameless dialog
    // on its hotkey page, with no shadow window of its own on the screen.
    const std::optional<test::WaylandWindow> dialog =
        OpenHotkeyDialog(*main, test::SlotButtonCentre(0, 0, 1));
    ASSERT_TRUE(dialog.has_value()) << program.Log() << Describe(weston.Windows());
    EXPECT_EQ(dialog->width, 380);
    EXPECT_EQ(dialog->height, 233);
    // Only the main window and the dialog once the menu has gone.
    EXPECT_TRUE(test::WaitFor([&] { return weston.Windows().size() == 2; }, 3s))
        << Describe(weston.Windows());

    // Keys typed into it are captured; "应用" stores the combination.
    ASSERT_TRUE(weston.Chord({KEY_LEFTCTRL, KEY_F2}));
    ASSERT_TRUE(test::WaitFor([&] { return true; }, 400ms));
    ASSERT_TRUE(ClickIn(*dialog, test::kDialogApplyHotkey));
    EXPECT_TRUE(
        test::WaitFor([&] { return program.ReadSlotList("音效1", "kjj") == "Ctrl｜F2键"; }, 5s))
        << program.ReadSlotList("音效1", "kjj");
    ASSERT_TRUE(ClickIn(*dialog, test::kDialogClose));
    EXPECT_TRUE(test::WaitFor([&] { return !Shown(weston, "其他设置"); }, 5s));

    // Keeping the window above is not Wayland's to grant: the switch keeps the setting and the
    // window is left where the compositor put it.
    ASSERT_TRUE(ClickIn(*main, test::PageButtonCentre(5)));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(ClickIn(*main, test::kOnTopSwitch));
    EXPECT_TRUE(test::WaitFor([&] { return program.ReadConfig("是否窗口置顶", "值") == "1"; }, 5s));
    std::this_thread::sleep_for(500ms);
    const std::optional<test::WaylandWindow> after = Shown(weston, "Vorlune");
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->x, main->x);
    EXPECT_EQ(after->y, main->y);
    EXPECT_TRUE(program.Running());
}

constexpr char kPortalSlotList[] =
    "[音效1]\n名称=Tone\ndz=音效1｜[取运行目录]\\Sounds\\Common\\tone.wav\nkjj=Ctrl｜F1键\n"
    "[音效2]\n名称=High\ndz=音效2｜[取运行目录]\\Sounds\\Common\\high.wav\n";

const std::string kPortalConfig = std::string(test::kPlainConfig) +
                                  "[音效快键控制]\n值=Ctrl｜F10键\n"
                                  "[音效声场控制]\n值=Ctrl｜F11键\n"
                                  "[音效声场停止]\n值=Ctrl｜F12键\n";

// Each shortcut the program asked for in a bind, as "id=preferred trigger".
std::vector<std::string> Asked(const test::PortalBind& bind) {
    std::vector<std::string> asked;
    for (const test::PortalShortcut& shortcut : bind.shortcuts) {
        asked.push_back(shortcut.id + "=" + shortcut.preferredTrigger);
    }
    return asked;
}

TEST_F(WaylandE2e, HotkeysThroughTheRealDesktopPortal) {
    test::SessionBus bus(dir.Path());
    ASSERT_TRUE(bus.Start());
    test::DesktopPortal portal(dir.Path(), bus);
    ASSERT_TRUE(portal.Ready()) << portal.Log();
    const std::optional<test::WaylandWindow> main =
        Launch(kPortalConfig, kPortalSlotList, {{"tone.wav", 440, 12.0}, {"high.wav", 880, 1.0}});
    ASSERT_TRUE(main.has_value());

    // 1. One bind at start: every stored combination, in the shortcuts syntax.
    ASSERT_TRUE(test::WaitFor([&] { return portal.Binds().size() == 1; }, 10s)) << portal.Log();
    EXPECT_EQ(Asked(portal.Binds()[0]),
              (std::vector<std::string>{"slot-1=CTRL+F1", "pause=CTRL+F11", "stop=CTRL+F12",
                                        "master=CTRL+F10"}));
    EXPECT_EQ(portal.Binds()[0].shortcuts[0].description, "Tone");
    std::this_thread::sleep_for(2500ms);

    // 2. The desktop reports slot 1's shortcut: slot 1 plays.
    std::size_t mark = sink->FramesSoFar();
    ASSERT_TRUE(portal.Activate("slot-1"));
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(*sink, mark); }, 6s)) << program.Log();

    // 5. Pause and resume, then stop.
    // The tone lasts 12 s: it cannot fall quiet by itself before the stop below.
    ASSERT_TRUE(portal.Activate("pause"));
    EXPECT_TRUE(FallsQuiet(*sink)) << "paused";
    mark = sink->FramesSoFar();
    ASSERT_TRUE(portal.Activate("pause"));
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(*sink, mark); }, 4s)) << "resumed";
    ASSERT_TRUE(portal.Activate("stop"));
    EXPECT_TRUE(FallsQuiet(*sink)) << "stopped";

    // 3. The master switch turns the slot's shortcut off and on again: while it is off the
    // desktop holds the master switch hotkey alone, and the slot's keys go back to the game.
    ASSERT_TRUE(portal.Activate("master"));
    ASSERT_TRUE(
        test::WaitFor([&] { return program.ReadConfig("是否设置快捷按钮", "值") == "0"; }, 3s));
    ASSERT_TRUE(test::WaitFor([&] { return portal.Binds().size() == 2; }, 5s)) << portal.Log();
    EXPECT_EQ(Asked(portal.Binds()[1]), (std::vector<std::string>{"master=CTRL+F10"}));
    mark = sink->FramesSoFar();
    ASSERT_TRUE(portal.Activate("slot-1"));
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(Quiet(*sink, mark)) << "the slot's shortcut while the switch is off";
    ASSERT_TRUE(portal.Activate("master"));
    ASSERT_TRUE(
        test::WaitFor([&] { return program.ReadConfig("是否设置快捷按钮", "值") == "1"; }, 3s));
    ASSERT_TRUE(test::WaitFor([&] { return portal.Binds().size() == 3; }, 5s)) << portal.Log();
    mark = sink->FramesSoFar();
    ASSERT_TRUE(portal.Activate("slot-1"));
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(*sink, mark); }, 6s));
    ASSERT_TRUE(portal.Activate("stop"));
    EXPECT_TRUE(FallsQuiet(*sink)) << "stopped again";
    EXPECT_EQ(portal.Binds().size(), 3U);

    // 4. Slot 2 gets a hotkey in its dialog: exactly one new bind, and its shortcut plays the
    // slot's own sound.
    const std::optional<test::WaylandWindow> dialog =
        OpenHotkeyDialog(*main, test::SlotButtonCentre(0, 0, 2));
    ASSERT_TRUE(dialog.has_value()) << program.Log() << Describe(weston.Windows());
    ASSERT_TRUE(weston.Chord({KEY_LEFTCTRL, KEY_F2}));
    std::this_thread::sleep_for(400ms);
    ASSERT_TRUE(ClickIn(*dialog, test::kDialogApplyHotkey));
    ASSERT_TRUE(test::WaitFor([&] { return portal.Binds().size() == 4; }, 5s)) << portal.Log();
    EXPECT_EQ(Asked(portal.Binds()[3]),
              (std::vector<std::string>{"slot-1=CTRL+F1", "slot-2=CTRL+F2", "pause=CTRL+F11",
                                        "stop=CTRL+F12", "master=CTRL+F10"}));
    EXPECT_EQ(program.ReadSlotList("音效2", "kjj"), "Ctrl｜F2键");
    ASSERT_TRUE(ClickIn(*dialog, test::kDialogClose));
    std::this_thread::sleep_for(1000ms);
    mark = sink->FramesSoFar();
    ASSERT_TRUE(portal.Activate("slot-2"));
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(*sink, mark, 880.0); }, 6s))
        << program.Log();
    std::this_thread::sleep_for(1000ms);
    EXPECT_EQ(portal.Binds().size(), 4U) << "one new bind for one edit";
    EXPECT_EQ(portal.Records("session").size(), 4U);
    EXPECT_TRUE(program.Running());
}

// The master switch hotkey is slot 1's combination; the desktop refuses, answers late, consumes
// the keys it binds and restarts, and no hotkey is lost or frozen for it.
TEST_F(WaylandE2e, PortalRefusalsDelaysAndRestartsLoseNoHotkey) {
    test::SessionBus bus(dir.Path());
    ASSERT_TRUE(bus.Start());
    test::DesktopPortal portal(dir.Path(), bus);
    ASSERT_TRUE(portal.Ready()) << portal.Log();
    const std::string config = std::string(test::kPlainConfig) + "[音效快键控制]\n值=Ctrl｜F1键\n";
    const std::optional<test::WaylandWindow> main =
        Launch(config, kPortalSlotList, {{"tone.wav", 440, 1.0}, {"high.wav", 880, 1.0}});
    ASSERT_TRUE(main.has_value());
    const auto hotkeysOn = [&] { return program.ReadConfig("是否设置快捷按钮", "值"); };
    ASSERT_TRUE(test::WaitFor([&] { return portal.Binds().size() == 1; }, 10s)) << portal.Log();
    EXPECT_EQ(Asked(portal.Binds()[0]), (std::vector<std::string>{"slot-1=CTRL+F1"}));
    std::this_thread::sleep_for(2500ms);

    // 1. Switched off by its button, the desktop holds the master switch hotkey on the slot's
    // combination, and it switches the hotkeys on again.
    ASSERT_TRUE(ClickIn(*main, test::kHotkeySwitch));
    ASSERT_TRUE(test::WaitFor([&] { return hotkeysOn() == "0"; }, 3s));
    ASSERT_TRUE(test::WaitFor([&] { return portal.Binds().size() == 2; }, 5s)) << portal.Log();
    EXPECT_EQ(Asked(portal.Binds()[1]), (std::vector<std::string>{"master=CTRL+F1"}));
    ASSERT_TRUE(portal.Activate("master"));
    EXPECT_TRUE(test::WaitFor([&] { return hotkeysOn() == "1"; }, 3s)) << portal.Log();
    ASSERT_TRUE(test::WaitFor([&] { return portal.Binds().size() == 3; }, 5s)) << portal.Log();

    // 2. The user cancels the desktop's dialog: nothing is held. Opening a slot's hotkey page
    // asks again, with no edit, and the hotkeys work.
    ASSERT_TRUE(portal.Refuse(true));
    ASSERT_TRUE(ClickIn(*main, test::kHotkeySwitch));
    ASSERT_TRUE(test::WaitFor([&] { return portal.Binds().size() == 4; }, 5s)) << portal.Log();
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(portal.Refuse(false));
    std::optional<test::WaylandWindow> dialog =
        OpenHotkeyDialog(*main, test::SlotButtonCentre(0, 0, 2));
    ASSERT_TRUE(dialog.has_value()) << program.Log() << Describe(weston.Windows());
    ASSERT_TRUE(test::WaitFor([&] { return portal.Binds().size() == 5; }, 5s)) << portal.Log();
    EXPECT_EQ(Asked(portal.Binds()[4]), (std::vector<std::string>{"master=CTRL+F1"}));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(portal.Activate("master"));
    EXPECT_TRUE(test::WaitFor([&] { return hotkeysOn() == "1"; }, 3s)) << portal.Log();
    ASSERT_TRUE(test::WaitFor([&] { return portal.Binds().size() == 6; }, 5s)) << portal.Log();
    std::this_thread::sleep_for(500ms);

    // 3. In slot 2's hotkey page the desktop consumes slot 1's combination: the slot plays, the
    // page takes its combination as typed and finds it in use, so "应用" stores nothing.
    ASSERT_TRUE(weston.Chord({KEY_LEFTCTRL, KEY_F3}));
    std::this_thread::sleep_for(400ms);
    std::size_t mark = sink->FramesSoFar();
    ASSERT_TRUE(portal.Activate("slot-1"));
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(*sink, mark); }, 6s)) << program.Log();
    std::this_thread::sleep_for(600ms);
    ASSERT_TRUE(ClickIn(*dialog, test::kDialogApplyHotkey));
    std::this_thread::sleep_for(800ms);
    EXPECT_EQ(program.ReadSlotList("音效2", "kjj"), "") << "a combination in use was applied";

    // 4. The portal stops answering for 8 s (frozen at first, then its desktop side slow): "应用"
    // hands the new set over and returns at once, and a click meanwhile plays as ever.
    portal.Freeze(8s);
    ASSERT_TRUE(portal.Delay(8s));
    ASSERT_TRUE(weston.Chord({KEY_LEFTCTRL, KEY_F3}));
    std::this_thread::sleep_for(400ms);
    ASSERT_TRUE(ClickIn(*dialog, test::kDialogApplyHotkey));
    ASSERT_TRUE(ClickIn(*dialog, test::kDialogClose));
    EXPECT_TRUE(test::WaitFor([&] { return !Shown(weston, "其他设置"); }, 3s));
    mark = sink->FramesSoFar();
    ASSERT_TRUE(ClickIn(*main, test::SlotButtonCentre(0, 0, 1)));
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(*sink, mark); }, 3500ms))
        << "a click while the portal does not answer";
    EXPECT_EQ(program.ReadSlotList("音效2", "kjj"), "Ctrl｜F3键");

    // 5. While that bind waits, the switch goes off (a second set waits behind it) and the
    // portal restarts: the set that waited is bound, and its hotkey works.
    ASSERT_TRUE(ClickIn(*main, test::kHotkeySwitch));
    ASSERT_TRUE(test::WaitFor([&] { return hotkeysOn() == "0"; }, 3s));
    ASSERT_TRUE(portal.Delay(0ms));
    ASSERT_TRUE(portal.RestartFrontend()) << portal.Log();
    ASSERT_TRUE(test::WaitFor(
        [&] { return Asked(portal.Binds().back()) == std::vector<std::string>{"master=CTRL+F1"}; },
        15s))
        << portal.Log();
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(portal.Activate("master"));
    EXPECT_TRUE(test::WaitFor([&] { return hotkeysOn() == "1"; }, 3s)) << portal.Log();
    ASSERT_TRUE(test::WaitFor(
        [&] {
            return Asked(portal.Binds().back()) ==
                   std::vector<std::string>{"slot-1=CTRL+F1", "slot-2=CTRL+F3"};
        },
        5s))
        << portal.Log();
    std::this_thread::sleep_for(500ms);
    mark = sink->FramesSoFar();
    ASSERT_TRUE(portal.Activate("slot-2"));
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(*sink, mark, 880.0); }, 6s))
        << program.Log();
    EXPECT_TRUE(program.Running());
}

}  // namespace
}  // namespace vorlune
