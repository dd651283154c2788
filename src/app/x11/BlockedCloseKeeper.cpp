#include "app/BlockedCloseKeeper.h"
#include "app/x11/XcbAtom.h"

#include <xcb/xcb.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <string_view>

namespace vorlune {
namespace {

// WM_PROTOCOLS / WM_DELETE_WINDOW, asked of the X server once.
bool IsDeleteWindow(const xcb_client_message_event_t& message) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || message.format != 32) {
        return false;
    }
    static const xcb_atom_t protocols = XcbAtom(x11->connection(), "WM_PROTOCOLS");
    static const xcb_atom_t deleteWindow = XcbAtom(x11->connection(), "WM_DELETE_WINDOW");
    return protocols != XCB_ATOM_NONE && message.type == protocols &&
           message.data.data32[0] == deleteWindow;
}

}  // namespace

BlockedCloseKeeper::BlockedCloseKeeper(QWidget& window, QObject* parent)
    : QObject(parent), window_(window) {
    QCoreApplication::instance()->installNativeEventFilter(this);
    window_.installEventFilter(this);
}

BlockedCloseKeeper::~BlockedCloseKeeper() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool BlockedCloseKeeper::nativeEventFilter(const QByteArray& eventType, void* message,
                                           qintptr* /*result*/) {
    if (eventType != "xcb_generic_event_t" || message == nullptr) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) {
        return false;
    }
    const auto& clientMessage = *static_cast<const xcb_client_message_event_t*>(message);
    const QWindow* handle = window_.windowHandle();
    if (handle != nullptr && clientMessage.window == static_cast<xcb_window_t>(handle->winId()) &&
        IsDeleteWindow(clientMessage)) {
        const QWindow* modal = QGuiApplication::modalWindow();
        if (!asking_ && modal != nullptr && modal != handle) {
            kept_ = true;
        }
    }
    return false;  // Qt goes on as ever: a window no box blocks asks at once
}

bool BlockedCloseKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::WindowUnblocked && kept_) {
        KeepClose();
    }
    return false;
}

void BlockedCloseKeeper::KeepClose() {
    kept_ = false;
    // Posted as the window's close event, not QWidget::close(): inside QWindow::close Qt lets a
    // further close through the open question and tears the window down.
    QCoreApplication::postEvent(&window_, new QCloseEvent);
}

}  // namespace vorlune
