#include "app/TrayController.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>

#include "app/CursorMenu.h"

namespace vorlune {

std::optional<TrayEvent> TrayEventOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return TrayEvent::Click;
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

TrayController::TrayController(QWidget& window, QSystemTrayIcon& icon, QObject* parent)
    : QObject(parent), window_(window), menu_(std::make_unique<QMenu>()) {
    menu_->setObjectName(QStringLiteral("托盘操作"));
    menu_->setTitle(QStringLiteral("托盘操作"));
    showAction_ = menu_->addAction(QStringLiteral("打开主界面"));
    quitAction_ = menu_->addAction(QStringLiteral("退出助手"));
    connect(showAction_, &QAction::triggered, this, &TrayController::ShowMainWindow);
    connect(quitAction_, &QAction::triggered, this, &TrayController::quitChosen);
    connect(&icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (const auto event = TrayEventOf(reason)) {
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
    if (state & (Qt::WindowMinimized | Qt::WindowMaximized)) {
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

void TrayController::OnMinimised() {
    if (!trayAvailable || !trayAvailable()) {
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
