#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

#include "LeavingFixture.h"
#include "app/TrayController.h"

namespace vorlune {
namespace {

using test::LeavingFixture;

TEST(CentredOn, HalvesTheSpareRoomWithIntegerDivision) {
    EXPECT_EQ(CentredOn(QRect(0, 0, 1280, 800), QSize(571, 591)), QPoint(354, 104));
    EXPECT_EQ(CentredOn(QRect(0, 0, 640, 480), QSize(570, 590)), QPoint(35, -55));
    EXPECT_EQ(CentredOn(QRect(1920, 0, 1024, 768), QSize(576, 625)), QPoint(2144, 71));
}

TEST(TrayEventOf, ClickDoubleClickAndMenuAndOnADBusTrayTheActivationShows) {
    constexpr TrayKind x = TrayKind::XEmbed;
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::Trigger, x), TrayEvent::Click);
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::DoubleClick, x), TrayEvent::DoubleClick);
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::Context, x), TrayEvent::Menu);
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::MiddleClick, x), std::nullopt);
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::Unknown, x), std::nullopt);
    // A D-Bus tray reports its left click as Trigger and has no double-click.
    constexpr TrayKind sni = TrayKind::StatusNotifier;
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::Trigger, sni), TrayEvent::DoubleClick);
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::Context, sni), TrayEvent::Menu);
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::MiddleClick, sni), std::nullopt);
}

TEST_F(LeavingFixture, TrayIconEventsDoWhatTheirCodeSays) {
    Start();
    QMenu& menu = TrayMenu();
    MainWindow& window = Window();
    window.show();
    window.move(10, 20);
    // The offscreen platform's one screen and the window with its frame; centred on that screen,
    // the frame's corner is at (113, 103).
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 800, 800));
    ASSERT_EQ(window.frameGeometry().size(), QSize(574, 594));
    const QPoint centred(113, 103);

    // A click alone (also the first half of a double-click) does nothing.
    emit tray.activated(QSystemTrayIcon::Trigger);
    emit tray.activated(QSystemTrayIcon::MiddleClick);
    EXPECT_EQ(window.pos(), QPoint(10, 20));
    EXPECT_FALSE(menu.isVisible());

    // Right click: the menu with its corner 3 pixels right of and below the pointer.
    QCursor::setPos(200, 150);
    ASSERT_EQ(QCursor::pos(), QPoint(200, 150));
    emit tray.activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), QPoint(203, 153));
    EXPECT_EQ(menu.title(), QStringLiteral("托盘操作"));
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_EQ(menu.actions()[0]->text(), QStringLiteral("打开主界面"));
    EXPECT_EQ(menu.actions()[1]->text(), QStringLiteral("退出助手"));
    menu.hide();
    EXPECT_EQ(window.pos(), QPoint(10, 20));
    EXPECT_TRUE(prompts.recorded.shown.empty());

    // Double-click on a window hidden in the tray: visible, restored and centred.
    Minimise();
    ASSERT_FALSE(window.isVisible());
    emit tray.activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_EQ(window.frameGeometry().topLeft(), centred);

    // "打开主界面" does the same, and a maximised window comes back at its normal size.
    window.showMaximized();
    window.hide();
    ShowItem()->trigger();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMaximized());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_EQ(window.frameGeometry().topLeft(), centred);

    // In a D-Bus tray the icon's activation (its host's left click) brings the window back.
    tray.kind = TrayKind::StatusNotifier;
    Minimise();
    ASSERT_FALSE(window.isVisible());
    emit tray.activated(QSystemTrayIcon::MiddleClick);
    EXPECT_FALSE(window.isVisible());
    emit tray.activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_EQ(window.frameGeometry().topLeft(), centred);
    EXPECT_TRUE(prompts.recorded.shown.empty());
    EXPECT_TRUE(programExit.codes.empty());
}

TEST_F(LeavingFixture, MinimisingHidesToTheTrayOnlyWhenThereIsOne) {
    Start();
    MainWindow& window = Window();
    window.show();
    Minimise();
    EXPECT_FALSE(window.isVisible());  // off the screen and the taskbar
    EXPECT_TRUE(tray.IsShown());

    // Without a tray a hidden window could never be reached again: it stays minimised.
    tray.available = false;
    emit tray.activated(QSystemTrayIcon::DoubleClick);
    ASSERT_TRUE(window.isVisible());
    Minimise();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isMinimized());
}

// Where no minimise is ever reported (Wayland), the tray menu hides the window, as long as there
// is a tray to bring it back from.
TEST(TrayController, TheMenuOfAWaylandSessionHidesTheWindowToTheTray) {
    test::EnsureQApplication();
    QWidget window;
    test::FakeSystemTray tray;
    TrayController controller(window, tray, TrayHiding::AlsoFromMenu);
    window.show();
    emit tray.activated(QSystemTrayIcon::Context);
    auto* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("隐藏到托盘"));
    menu->hide();
    menu->actions()[1]->trigger();
    EXPECT_FALSE(window.isVisible());
    emit tray.activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window.isVisible());
    tray.available = false;
    menu->actions()[1]->trigger();
    EXPECT_TRUE(window.isVisible());
}

TEST_F(LeavingFixture, TipOfALongTitleShowsOnlyItsFirst62Bytes) {
    Config("[软件名称]\r\n文本=" + std::string(70, 'x') + "\r\n[是否设置快捷按钮]\r\n值=1\r\n");
    Start();
    EXPECT_EQ(Window().windowTitle().toStdString(), std::string(70, 'x'));
    EXPECT_EQ(tray.Tip(), QString(62, QLatin1Char('x')));
    EXPECT_EQ(tray.ShownState(), std::optional<bool>(true));
}

}  // namespace
}  // namespace vorlune
