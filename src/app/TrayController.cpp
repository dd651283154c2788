#include "app/TrayController.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>

#include "app/CursorMenu.h"
#include "app/SystemTray.h"

namespace vorlune {

std::optional<TrayEvent> TrayEventOf(QSystemTrayIcon::ActivationReason reason, TrayKind kind) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return kind == TrayKind::StatusNotifier ? TrayEvent::DoubleClick : TrayEvent::Click;
        case QSystemTrayIcon::DoubleClick:
            return TrayEvent::DoubleClick;
        case QSystemTrayIcon::Context:
            return TrayEvent::Menu;
        case QSystemTrayIcon::MiddleClick:
        case QSystemTrayIcon::Unknown:
            break;
    }
    return std::nullopt;
}

QPoint CentredOn(const QRect& screen, const QSize& frame) {
    return {screen.x() + (screen.width() - frame.width()) / 2,
            screen.y() + (screen.height() - frame.height()) / 2};
}

TrayController::TrayController(QWidget& window, SystemTray& tray, TrayHiding hiding,
                               QObject* parent)
    : QObject(parent), window_(window), tray_(tray), menu_(std::make_unique<QMenu>()) {
    menu_->setObjectName(QStringLiteral("托盘操作"));
    menu_->setTitle(QStringLiteral("托盘操作"));
    const QAction* show = menu_->addAction(QStringLiteral("打开主界面"));
    if (hiding == TrayHiding::AlsoFromMenu) {
        const QAction* hide = menu_->addAction(QStringLiteral("隐藏到托盘"));
        connect(hide, &QAction::triggered, this, &TrayController::HideToTray);
    }
    const QAction* quit = menu_->addAction(QStringLiteral("退出助手"));
    connect(show, &QAction::triggered, this, &TrayController::ShowMainWindow);
    connect(quit, &QAction::triggered, this, &TrayController::quitChosen);
    connect(&tray, &SystemTray::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (const auto event = TrayEventOf(reason, tray_.Kind())) {
            OnTrayEvent(*event);
        }
    });
}

TrayController::~TrayController() = default;

void TrayController::OnTrayEvent(TrayEvent event) {
    switch (event) {
        case TrayEvent::Click:
            break;
        case TrayEvent::DoubleClick:
            ShowMainWindow();
            break;
        case TrayEvent::Menu:
            PopUpBesideCursor(*menu_);
            break;
    }
}

void TrayController::ShowMainWindow() {
    // Restored before it is mapped again, so that it does not come back as an icon.
    const Qt::WindowStates state = window_.windowState();
    if (state.testAnyFlags(Qt::WindowMinimized | Qt::WindowMaximized)) {
        window_.setWindowState(state & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    }
    window_.show();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect frame = window_.frameGeometry();
    const QPoint centred = CentredOn(screen->geometry(), frame.size());
    if (frame.topLeft() != centred) {
        window_.move(centred);
    }
}

void TrayController::HideToTray() {
    if (tray_.Available()) {
        window_.hide();
    }
}

void TrayController::OnMinimised() {
    // Asked at every minimise: a tray may come and go with the desktop's panel.
    if (!tray_.Available()) {
        return;
    }
    // Hidden once the state change is through: showMinimized() shows the window after telling
    // it, and a window restored in the meantime stays.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (window_.isMinimized()) {
                window_.hide();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace vorlune
