#include <QGuiApplication>

#include "app/BottomLine.h"
#include "app/ExitFlow.h"
#include "app/LinkActions.h"
#include "app/MainWindow.h"
#include "app/RegionWiring.h"
#include "app/TrayController.h"

namespace vorlune {

void ConnectLeaving(MainWindow& window, TrayController& tray, ExitFlow& exit, LinkActions& links) {
    // The program ends only through a confirmed exit: a message box closed while the window
    // is hidden in the tray must not end it as "the last window".
    QGuiApplication::setQuitOnLastWindowClosed(false);

    QObject::connect(&window, &MainWindow::closeRequested, &exit, &ExitFlow::ConfirmClose,
                     Qt::DirectConnection);
    QObject::connect(&window, &MainWindow::minimised, &tray, &TrayController::OnMinimised);
    QObject::connect(&tray, &TrayController::quitChosen, &exit, &ExitFlow::ConfirmQuit);

    BottomLine* bottom = window.Bottom();
    QObject::connect(bottom->HelpLink(), &LinkLabel::pressed, &links, &LinkActions::OpenHelp);
    QObject::connect(bottom->ContactLink(), &LinkLabel::pressed, &links, &LinkActions::OpenContact);
    QObject::connect(bottom->ShopLink(), &LinkLabel::pressed, &links, &LinkActions::ShowShareMenu);
}

}  // namespace vorlune
