#pragma once

#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>
#include <memory>
#include <optional>

#include "app/TrayKind.h"

class QMenu;
class QRect;
class QSize;
class QWidget;

namespace vorlune {

class SystemTray;

// What the tray icon's mouse events mean: a click does nothing (it also comes first in a
// double-click), a double-click shows the main window, a right click or the context-menu key
// opens the tray menu.
enum class TrayEvent { Click = 1, DoubleClick = 2, Menu = 3 };

// The event of an activation of the icon in a tray of `kind`; nothing for the ones the program
// ignores. A D-Bus tray never reports a double-click: its activation (the host's left click)
// is the one way to bring the window back, so it stands for the double-click there.
std::optional<TrayEvent> TrayEventOf(QSystemTrayIcon::ActivationReason reason, TrayKind kind);

// Top-left corner that centres a window frame of `frame` on `screen` (integer halves).
QPoint CentredOn(const QRect& screen, const QSize& frame);

// Whether the tray menu offers "隐藏到托盘". A Wayland desktop never tells a program that its
// window was minimised (xdg-shell has no such state), so there the menu is the way into the tray;
// on X11 minimising does it, and the menu stays as it has always been.
enum class TrayHiding { OnMinimise, AlsoFromMenu };

// The program in the background: minimising hides the main window to the tray, the icon's
// events and its menu "托盘操作" bring it back or ask to leave.
class TrayController : public QObject {
    Q_OBJECT
  public:
    TrayController(QWidget& window, SystemTray& tray, TrayHiding hiding = TrayHiding::OnMinimise,
                   QObject* parent = nullptr);
    ~TrayController() override;

    void OnTrayEvent(TrayEvent event);
    // Visible, restored and centred on the primary screen; the move neither activates the
    // window nor changes its stacking.
    void ShowMainWindow();
    // The window has just been minimised: it leaves the screen and the taskbar (as soon as the
    // event loop runs), unless there is no tray to bring it back from, in which case it stays an
    // ordinary minimised window.
    void OnMinimised();
    // "隐藏到托盘": off the screen and the taskbar when there is a tray to come back from.
    void HideToTray();

  signals:
    // "退出助手" was chosen.
    void quitChosen();

  private:
    QWidget& window_;
    SystemTray& tray_;
    std::unique_ptr<QMenu> menu_;
};

}  // namespace vorlune
