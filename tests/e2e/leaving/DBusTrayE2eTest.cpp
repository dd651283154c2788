// The built program with a D-Bus tray (StatusNotifierItem, as on KDE Plasma or GNOME with the
// AppIndicator extension) on a private session bus, and a real window manager (openbox): the
// icon shows the hotkey state, hiding to the tray works, and activating the icon (a tray's
// left click) brings the window back. The hotkeys go through the desktop portal there, and the
// end of the session (SIGTERM) closes its session and the icon as a confirmed exit does.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <thread>

#include "Commands.h"
#include "DesktopPortal.h"
#include "Openbox.h"
#include "ProgramCopy.h"
#include "SessionBus.h"
#include "TempDir.h"
#include "XWindows.h"
#include "XvfbDisplay.h"

namespace vorlune::test {
namespace {

using namespace std::chrono_literals;

TEST(DBusTrayE2e, ActivatingTheIconBringsTheWindowBack) {
    TempDir dir;
    XvfbDisplay display;
    ASSERT_TRUE(display.Start("1280x800x24"));
    Openbox wm(dir.Path());
    ASSERT_TRUE(wm.Start()) << wm.Log();
    SessionBus bus(dir.Path());
    ASSERT_TRUE(bus.Start()) << ReadFileBytes(dir.File("dbus-daemon.log"));
    StatusNotifierTray tray(bus, dir.File("tray-host.log"));
    ASSERT_TRUE(tray.Start()) << ReadFileBytes(dir.File("tray-host.log"));
    DesktopPortal portal(dir.Path(), bus);
    ASSERT_TRUE(portal.Ready()) << portal.Log();

    ProgramCopy program(dir.Path());
    ASSERT_TRUE(program.Installed()) << "build the program first: " << VORLUNE_DIST_DIR;
    program.WriteGbk("program/config.ini",
                     "[软件名称]\r\n文本=Vorlune正式版\r\n[是否设置快捷按钮]\r\n值=1\r\n"
                     "[音效快键控制]\r\n值=Ctrl｜F10键\r\n");
    program.Start(bus.Address(), "portal");
    const std::optional<std::uint32_t> main = program.WaitForWindow("Vorlune正式版");
    ASSERT_TRUE(main) << program.Log();

    // The icon registers with the desktop's watcher, its tip saying that hotkeys are on.
    std::string item;
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::vector<std::string> items = tray.Items();
            if (!items.empty()) {
                item = items.front();
            }
            return !items.empty();
        },
        10s))
        << program.Log();
    EXPECT_EQ(tray.ToolTipTitle(item), "Vorlune正式版\n全局快捷键状态:已经开启");

    const auto shown = [&] { return program.VisibleWindow("Vorlune正式版").has_value(); };
    const auto hideToTheTray = [&] {
        ASSERT_TRUE(wm.Minimise(*main));
        ASSERT_TRUE(WaitFor([&] { return !shown(); }, 5s));
        // Hidden by the program, not only iconified: there is a tray to come back from.
        ASSERT_TRUE(WaitFor([&] { return ParentOf(ParentOf(*main).value_or(0)) == 0U; }, 5s))
            << program.Log();
    };
    hideToTheTray();

    // A middle click does nothing; a left click (Activate) shows the window, centred.
    ASSERT_TRUE(tray.SecondaryActivate(item, 1200, 10));
    std::this_thread::sleep_for(700ms);
    EXPECT_FALSE(shown());
    ASSERT_TRUE(tray.Activate(item, 1200, 10));
    ASSERT_TRUE(WaitFor(shown, 5s)) << "the icon's activation did not bring the window back";
    EXPECT_TRUE(WaitFor(
        [&] {
            const WindowPlace place = PlaceOf(*main).value_or(WindowPlace{});
            return place.x == (1280 - place.width) / 2 && place.y == (800 - place.height) / 2;
        },
        5s));

    // A right click (ContextMenu) opens "托盘操作" at the pointer; its "打开主界面" also works.
    hideToTheTray();
    ASSERT_TRUE(test::Run("xdotool mousemove 600 300"));
    ASSERT_TRUE(tray.ContextMenu(item, 600, 300));
    std::optional<std::uint32_t> menu;
    ASSERT_TRUE(WaitFor([&] { return (menu = program.VisiblePopup()).has_value(); }, 5s));
    const WindowPlace place = PlaceOf(*menu).value_or(WindowPlace{});
    EXPECT_EQ(place.x, 603);
    EXPECT_EQ(place.y, 303);
    ASSERT_TRUE(ClickAt(place.x + place.width / 2, place.y + place.height / 4));
    EXPECT_TRUE(WaitFor(shown, 5s));
    EXPECT_TRUE(program.Process().Running());

    // The desktop session ends while the close question is open: the program ends at once with
    // code 0, the exit recorded, its portal session closed and its icon gone.
    ASSERT_TRUE(WaitFor([&] { return !portal.Binds().empty(); }, 10s)) << portal.Log();
    ASSERT_TRUE(SendDeleteWindow(*main));
    ASSERT_TRUE(program.WaitForWindow("询问信息")) << program.Log();
    ASSERT_EQ(::kill(program.Process().Pid(), SIGTERM), 0);
    EXPECT_EQ(program.Process().WaitForExit(10s), std::optional<int>(0)) << program.Log();
    EXPECT_EQ(program.Read("program/Sounds/Common/list.ini", "当前记录", "值"), "0");
    EXPECT_TRUE(WaitFor([&] { return !portal.Records("close").empty(); }, 5s)) << portal.Log();
    EXPECT_TRUE(WaitFor([&] { return tray.Items().empty(); }, 5s));
}

}  // namespace
}  // namespace vorlune::test
