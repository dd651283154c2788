// The built program on a private X display with a tray: minimising hides the window to the
// tray, a double-click on the tray icon brings it back centred, the exit questions keep the
// program on No, and Yes ends it with code 0 after recording the exit.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ChildProcess.h"
#include "Commands.h"
#include "ProgramCopy.h"
#include "TempDir.h"
#include "WindowManagerStandIn.h"
#include "XWindows.h"
#include "XvfbDisplay.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;
using test::Answer;
using test::ClickAt;
using test::FindWindows;
using test::ProgramCopy;
using test::WindowManagerStandIn;

constexpr char kConfig[] =
    "[软件名称]\r\n文本=Vorlune正式版\r\n"
    "[是否设置快捷按钮]\r\n值=1\r\n"
    "[是否窗口置顶]\r\n值=0\r\n"
    "[音效快键控制]\r\n值=Ctrl｜F10键\r\n";

TEST(LeavingE2e, TrayKeepsTheProgramAndOnlyAConfirmedExitEndsIt) {
    test::TempDir dir;
    test::XvfbDisplay display;
    ASSERT_TRUE(display.Start("1280x800x24"));
    test::ChildProcess trayer(
        {"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32"},
        {.outputPath = dir.File("trayer.log"), .stderrToo = true, .environment = {}});
    ASSERT_TRUE(test::WaitFor([] { return !FindWindows("--classname trayer").empty(); }, 10s));

    ProgramCopy program(dir.Path());
    ASSERT_TRUE(program.Installed()) << "build the program first: " << VORLUNE_DIST_DIR;
    program.WriteGbk("program/config.ini", kConfig);
    ASSERT_EQ(program.Read("program/Sounds/Common/list.ini", "当前记录", "值"), "");
    WindowManagerStandIn wm;
    ASSERT_TRUE(wm.Connected());
    program.Start();
    const std::optional<std::uint32_t> main = program.WaitForWindow("Vorlune正式版");
    ASSERT_TRUE(main) << program.Log();

    // The icon: the program's window that the tray has taken in.
    std::optional<WindowManagerStandIn::Place> icon;
    std::uint32_t iconWindow = 0;
    ASSERT_TRUE(test::WaitFor(
        [&] {
            for (const std::uint32_t window : FindWindows("--pid " + program.Pid())) {
                const auto parent = wm.ParentOf(window);
                const auto place = wm.PlaceOf(window);
                if (parent && *parent != wm.Root() && place && place->viewable) {
                    icon = place;
                    iconWindow = window;
                    return true;
                }
            }
            return false;
        },
        10s))
        << program.Log();
    const int iconX = icon->x + icon->width / 2;
    const int iconY = icon->y + icon->height / 2;
    const auto placeOfMain = [&] {
        return wm.PlaceOf(*main).value_or(WindowManagerStandIn::Place{});
    };
    ASSERT_TRUE(placeOfMain().viewable);

    // Minimising withdraws the window: off the screen and, with a window manager, the taskbar.
    ASSERT_TRUE(wm.Minimise(*main));
    EXPECT_TRUE(test::WaitFor([&] { return wm.Withdrawn(*main); }, 5s));
    EXPECT_FALSE(placeOfMain().viewable);

    // A double-click on the icon brings it back: the 570 x 590 window centred on the 1280 x 800
    // screen has its corner at (355, 105).
    ASSERT_TRUE(ClickAt(iconX, iconY, "click --repeat 2 --delay 80 1"));
    const WindowManagerStandIn::Place centred{355, 105, 570, 590, true};
    EXPECT_TRUE(test::WaitFor([&] { return placeOfMain() == centred; }, 5s))
        << placeOfMain().x << "," << placeOfMain().y << " " << placeOfMain().width << "x"
        << placeOfMain().height;

    // Hidden again, "退出助手" from the tray menu answered No (its default): still running and
    // still hidden, although the last visible window (the question) has closed.
    ASSERT_TRUE(wm.Minimise(*main));
    ASSERT_TRUE(test::WaitFor([&] { return wm.Withdrawn(*main); }, 5s));
    ASSERT_TRUE(ClickAt(iconX, iconY, "click 3"));
    std::optional<std::uint32_t> menu;
    ASSERT_TRUE(test::WaitFor([&] { return (menu = program.VisiblePopup()).has_value(); }, 5s));
    const auto menuPlace = wm.PlaceOf(*menu);
    ASSERT_TRUE(menuPlace);
    ASSERT_TRUE(
        ClickAt(menuPlace->x + menuPlace->width / 2, menuPlace->y + menuPlace->height * 3 / 4));
    std::optional<std::uint32_t> quitBox = program.WaitForWindow("请选择");
    ASSERT_TRUE(quitBox) << program.Log();
    ASSERT_TRUE(Answer(*quitBox, "Return"));
    EXPECT_TRUE(test::WaitFor([&] { return !program.VisibleWindow("请选择"); }, 5s));
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(program.Process().Running()) << program.Log();
    EXPECT_FALSE(placeOfMain().viewable);
    ASSERT_TRUE(ClickAt(iconX, iconY, "click --repeat 2 --delay 80 1"));
    ASSERT_TRUE(test::WaitFor([&] { return placeOfMain().viewable; }, 5s));

    // A close that reaches the window while one of its boxes is open (clicked as the box is
    // answered, the answer still on its way) asks once the box has gone instead of being lost;
    // a close made while the question is open is answered by that question.
    ASSERT_TRUE(
        test::Run("xdotool mousemove --window " + std::to_string(*main) + " 37 552 click 1"));
    const std::optional<std::uint32_t> infoBox = program.WaitForWindow("信息：");
    ASSERT_TRUE(infoBox) << program.Log();
    ASSERT_TRUE(test::SendDeleteWindow(*main));
    ASSERT_TRUE(Answer(*infoBox, "Return"));
    std::optional<std::uint32_t> closeBox = program.WaitForWindow("询问信息");
    ASSERT_TRUE(closeBox) << "the close made while the box was open was lost";
    ASSERT_TRUE(test::SendDeleteWindow(*main));
    ASSERT_TRUE(Answer(*closeBox, "Escape"));
    EXPECT_TRUE(test::WaitFor([&] { return !program.VisibleWindow("询问信息"); }, 5s));
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(program.VisibleWindow("询问信息")) << "asked twice";

    // The window manager's close asks; hotkeys still work while it asks; No keeps it running.
    ASSERT_TRUE(test::SendDeleteWindow(*main));
    closeBox = program.WaitForWindow("询问信息");
    ASSERT_TRUE(closeBox) << program.Log();
    ASSERT_TRUE(test::Run("xdotool key ctrl+F10"));
    EXPECT_TRUE(test::WaitFor(
        [&] { return program.Read("program/config.ini", "是否设置快捷按钮", "值") == "0"; }, 5s));
    ASSERT_TRUE(Answer(*closeBox, "Escape"));
    EXPECT_TRUE(test::WaitFor([&] { return !program.VisibleWindow("询问信息"); }, 5s));
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(program.Process().Running());
    EXPECT_TRUE(placeOfMain().viewable);
    EXPECT_EQ(program.Read("program/Sounds/Common/list.ini", "当前记录", "值"), "");

    // Yes (the default) ends it with code 0, the exit recorded and the tray icon gone.
    ASSERT_TRUE(test::SendDeleteWindow(*main));
    closeBox = program.WaitForWindow("询问信息");
    ASSERT_TRUE(closeBox) << program.Log();
    ASSERT_TRUE(Answer(*closeBox, "Return"));
    EXPECT_EQ(program.Process().WaitForExit(10s), std::optional<int>(0)) << program.Log();
    EXPECT_EQ(program.Read("program/Sounds/Common/list.ini", "当前记录", "值"), "0");
    EXPECT_FALSE(wm.PlaceOf(iconWindow).has_value());
    EXPECT_TRUE(trayer.Running());
}

}  // namespace
}  // namespace vorlune
