#include <QCoreApplication>
#include <QGuiApplication>

#include "app/Application.h"
#include "app/BottomLine.h"
#include "app/ExitFlow.h"
#include "app/LinkActions.h"
#include "app/MainWindow.h"
#include "app/TrayController.h"
#include "app/TrayIcon.h"
#include "audio/controls/PlaybackControls.h"

namespace vorlune {

void WireLeaving(Application& app) {
    // The program ends only through a confirmed exit: a message box closed while the window
    // is hidden in the tray must not end it as "the last window".
    QGuiApplication::setQuitOnLastWindowClosed(false);

    MainWindow& window = app.Window();
    auto* tray = new TrayController(window, *app.Tray().Native(), &app);
    auto* exit = new ExitFlow(
        app.Services().prompts, [&app] { app.KeepOnTopRelease(); },
        ExitParts{app.Playback().MonitorTimer(), app.Player(), app.Slots(), app.Tray()},
        [](int code) { QCoreApplication::exit(code); }, &app);
    window.closeRequested = [exit] { return exit->ConfirmClose(); };
    window.minimised = [tray] { tray->OnMinimised(); };
    QObject::connect(tray, &TrayController::quitChosen, exit, &ExitFlow::ConfirmQuit);

    auto* links = new LinkActions(app.Settings(), app.Services().desktop, app.Services().prompts,
                                  app.Folder(), &app);
    BottomLine* bottom = window.Bottom();
    QObject::connect(bottom->HelpLink(), &LinkLabel::pressed, links, &LinkActions::OpenHelp);
    QObject::connect(bottom->ContactLink(), &LinkLabel::pressed, links, &LinkActions::OpenContact);
    QObject::connect(bottom->ShopLink(), &LinkLabel::pressed, links, &LinkActions::ShowShareMenu);
}

}  // namespace vorlune
