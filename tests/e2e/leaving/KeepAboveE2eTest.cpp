// Always-on-top with a real window manager (openbox) and an XEmbed tray (trayer): whatever the
// switch or the release before a slot plays applied last is what the window has after a trip to
// the tray and back, read from the window manager's _NET_WM_STATE.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "ChildProcess.h"
#include "Commands.h"
#include "MainWindowPlaces.h"
#include "Openbox.h"
#include "ProgramCopy.h"
#include "PulseServer.h"
#include "TempDir.h"
#include "XWindows.h"
#include "XvfbDisplay.h"

namespace vorlune::test {
namespace {

using namespace std::chrono_literals;

// Time for the window manager to act on what the program asked.
constexpr auto kSettle = 700ms;

class KeepAboveE2e : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display_.Start("1280x800x24"));
        // A slot played with no output device at all would show its message box instead.
        ASSERT_TRUE(pulse_.Ready()) << pulse_.Log();
        ASSERT_TRUE(wm_.Start()) << wm_.Log();
        trayer_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype",
                                     "request", "--height", "32"},
            ChildProcess::Options{
                .outputPath = dir_.File("trayer.log"), .stderrToo = true, .environment = {}});
        std::vector<std::uint32_t> tray;
        ASSERT_TRUE(
            WaitFor([&] { return !(tray = FindWindows("--classname trayer")).empty(); }, 10s));
        tray_ = tray.front();
        ASSERT_TRUE(program_.Installed()) << "build the program first: " << VORLUNE_DIST_DIR;
    }

    // Starts the program with "是否窗口置顶" = `onTop` and waits for its window and tray icon.
    void StartWith(const std::string& onTop) {
        program_.WriteGbk("program/config.ini",
                          "[软件名称]\r\n文本=Vorlune正式版\r\n[当前栏目]\r\n值=0\r\n"
                          "[是否窗口置顶]\r\n值=" +
                              onTop + "\r\n");
        program_.Start();
        const std::optional<std::uint32_t> main = program_.WaitForWindow("Vorlune正式版");
        ASSERT_TRUE(main) << program_.Log();
        main_ = *main;
        std::optional<std::uint32_t> icon;
        ASSERT_TRUE(WaitFor([&] { return (icon = program_.TrayIconIn(tray_)).has_value(); }, 10s))
            << program_.Log();
        icon_ = *icon;
        ASSERT_TRUE(WaitFor([&] { return Managed(); }, 5s));
        std::this_thread::sleep_for(kSettle);
    }

    // Shown inside the window manager's frame.
    bool Managed() const {
        const std::optional<std::uint32_t> parent = ParentOf(main_);
        return PlaceOf(main_).value_or(WindowPlace{}).viewable && parent &&
               ParentOf(*parent).value_or(0) != 0;
    }
    // Let go by the window manager: back on the root window, whose parent is none.
    bool Withdrawn() const {
        const std::optional<std::uint32_t> parent = ParentOf(main_);
        return parent && ParentOf(*parent).value_or(1) == 0 &&
               !PlaceOf(main_).value_or(WindowPlace{}).viewable;
    }
    bool Above() const {
        const std::vector<std::string> states = NetWmState(main_);

        return std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE") != states.end();
    }
    // Whether the window manager keeps the window above, once it has had time to act.
    bool AboveAfterSettling() const {
        std::this_thread::sleep_for(kSettle);
        return Above();
    }

    // Minimised by the window manager, hidden to the tray by the program, brought back by a
    // double-click on the tray icon.
    void TrayRoundTrip() {
        ASSERT_TRUE(wm_.Minimise(main_));
        ASSERT_TRUE(WaitFor([&] { return Withdrawn(); }, 5s)) << program_.Log();
        const std::optional<WindowPlace> icon = PlaceOf(icon_);
        ASSERT_TRUE(icon);
        ASSERT_TRUE(ClickAt(icon->x + icon->width / 2, icon->y + icon->height / 2,
                            "click --repeat 2 --delay 80 1"));
        ASSERT_TRUE(WaitFor([&] { return Managed(); }, 5s)) << program_.Log();
    }

    void Click(Point at) const {
        ASSERT_TRUE(test::Run("xdotool mousemove --window " + std::to_string(main_) + " " +
                              std::to_string(at.x) + " " + std::to_string(at.y) + " click 1"));
    }
    // A click on the always-on-top switch, waiting until the setting is written.
    void ClickOnTopSwitch() {
        const std::string before = program_.Read("program/config.ini", "是否窗口置顶", "值");
        ASSERT_NO_FATAL_FAILURE(Click(PageButtonCentre(5)));
        ASSERT_NO_FATAL_FAILURE(Click(kOnTopSwitch));
        ASSERT_TRUE(WaitFor(
            [&] { return program_.Read("program/config.ini", "是否窗口置顶", "值") != before; },
            5s));
    }

    TempDir dir_;
    XvfbDisplay display_;
    Openbox wm_{dir_.Path()};
    PulseServer pulse_{dir_.Path()};
    std::unique_ptr<ChildProcess> trayer_;
    std::uint32_t tray_ = 0;
    ProgramCopy program_{dir_.Path()};
    std::uint32_t main_ = 0;
    std::uint32_t icon_ = 0;
};

TEST_F(KeepAboveE2e, StartedOnTopTheLastChangeSurvivesTheTray) {
    ASSERT_NO_FATAL_FAILURE(StartWith("1"));
    ASSERT_TRUE(Above()) << program_.Log();

    // Playing a slot takes the window out of always-on-top, and the tray does not put it back.
    ASSERT_NO_FATAL_FAILURE(Click(PageButtonCentre(0)));
    ASSERT_NO_FATAL_FAILURE(Click(SlotButtonCentre(0, 0, 1)));
    EXPECT_TRUE(WaitFor([&] { return !Above(); }, 5s));
    ASSERT_NO_FATAL_FAILURE(TrayRoundTrip());
    EXPECT_FALSE(AboveAfterSettling()) << "back on top after the tray, although released";
    EXPECT_EQ(program_.Read("program/config.ini", "是否窗口置顶", "值"), "1");

    // The switch still reads on: the first press turns it off, the second on again.
    ASSERT_NO_FATAL_FAILURE(ClickOnTopSwitch());
    EXPECT_FALSE(AboveAfterSettling());
    ASSERT_NO_FATAL_FAILURE(ClickOnTopSwitch());
    EXPECT_TRUE(WaitFor([&] { return Above(); }, 5s));
    ASSERT_NO_FATAL_FAILURE(TrayRoundTrip());
    EXPECT_TRUE(WaitFor([&] { return Above(); }, 5s));

    // Switched off while shown: it stays off after the tray.
    ASSERT_NO_FATAL_FAILURE(ClickOnTopSwitch());
    EXPECT_TRUE(WaitFor([&] { return !Above(); }, 5s));
    ASSERT_NO_FATAL_FAILURE(TrayRoundTrip());
    EXPECT_FALSE(AboveAfterSettling()) << "back on top after the tray, although switched off";
    EXPECT_EQ(program_.Read("program/config.ini", "是否窗口置顶", "值"), "0");
}

TEST_F(KeepAboveE2e, StartedNotOnTopTheSwitchSurvivesTheTray) {
    ASSERT_NO_FATAL_FAILURE(StartWith("0"));
    EXPECT_FALSE(Above());
    ASSERT_NO_FATAL_FAILURE(ClickOnTopSwitch());
    EXPECT_TRUE(WaitFor([&] { return Above(); }, 5s));
    ASSERT_NO_FATAL_FAILURE(TrayRoundTrip());
    EXPECT_TRUE(WaitFor([&] { return Above(); }, 5s)) << "no longer on top after the tray";
    ASSERT_NO_FATAL_FAILURE(TrayRoundTrip());
    EXPECT_TRUE(WaitFor([&] { return Above(); }, 5s));
    EXPECT_EQ(program_.Read("program/config.ini", "是否窗口置顶", "值"), "1");
}

}  // namespace
}  // namespace vorlune::test
