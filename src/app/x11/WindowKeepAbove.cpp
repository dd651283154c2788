#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <string_view>
#include <vector>

#include "app/KeepAbove.h"
#include "app/x11/XcbAtom.h"

namespace vorlune {
namespace {

// The record, kept on the window's QWindow, and whether that window was shown on the screen
// when it was last exposed.
constexpr const char* kKeptAbove = "vorluneKeptAbove";
constexpr const char* kExposed = "vorluneExposed";

xcb_connection_t* X11Connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

bool Recorded(const QWindow& window) {
    return window.property(kKeptAbove).toBool();
}

// A window that is not mapped carries its state in its own _NET_WM_STATE property, which the
// window manager reads when it maps the window.
void WriteStateBeforeMap(xcb_connection_t* connection, const QWindow& window, bool above) {
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t state = XcbAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t aboveAtom = XcbAtom(connection, "_NET_WM_STATE_ABOVE");
    std::vector<xcb_atom_t> atoms;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, state, XCB_ATOM_ATOM, 0, 64), nullptr);
    if (reply != nullptr) {
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        atoms.assign(values, values + xcb_get_property_value_length(reply) / sizeof(xcb_atom_t));
        free(reply);
    }
    std::erase(atoms, aboveAtom);
    if (above) {
        atoms.push_back(aboveAtom);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
    xcb_flush(connection);
}

// Asks the window manager to add or remove _NET_WM_STATE_ABOVE of a mapped window; it changes
// only the stacking.
void SendAboveRequest(xcb_connection_t* connection, const QWindow& window, bool above) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window.winId());
    event.type = XcbAtom(connection, "_NET_WM_STATE");
    event.data.data32[0] = above ? 1 : 0;  // _NET_WM_STATE_ADD or _REMOVE
    event.data.data32[1] = XcbAtom(connection, "_NET_WM_STATE_ABOVE");
    event.data.data32[3] = 1;  // a normal application asks
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

}  // namespace

void WindowKeepAbove::SetKeepAbove(QWidget* window, bool above) {
    window->winId();  // the platform window holds the record from the start
    QWindow* handle = window->windowHandle();
    // Wayland lets no program keep its window above the others, and showing the window again
    // with the flag would only make the compositor place it anew: nothing is asked, and the
    // window is not said to be kept above. The setting stays as the user chose it.
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        handle->setProperty(kKeptAbove, false);
        return;
    }
    handle->setProperty(kKeptAbove, above);
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr) {
        const bool visible = window->isVisible();
        window->setWindowFlag(Qt::WindowStaysOnTopHint, above);
        if (visible) {  // changing the flag has hidden the window
            window->setAttribute(Qt::WA_ShowWithoutActivating);
            window->show();
        }
        return;
    }
    window->installEventFilter(this);
    handle->installEventFilter(this);
    if (handle->isExposed()) {
        SendAboveRequest(connection, *handle, above);
    } else if (!window->isVisible()) {
        WriteStateBeforeMap(connection, *handle, above);
    }
}

bool WindowKeepAbove::IsKeptAbove(const QWidget* window) const {
    const QWindow* handle = window->windowHandle();
    return handle != nullptr && Recorded(*handle);
}

bool WindowKeepAbove::eventFilter(QObject* watched, QEvent* event) {
    // Every event of the window passes here; only a show and an expose concern the record.
    if (event->type() != QEvent::Show && event->type() != QEvent::Expose) {
        return false;
    }
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr) {
        return false;
    }
    if (auto* widget = qobject_cast<QWidget*>(watched);
        widget != nullptr && event->type() == QEvent::Show && widget->windowHandle() != nullptr) {
        // Sent just before Qt maps the window.
        WriteStateBeforeMap(connection, *widget->windowHandle(), Recorded(*widget->windowHandle()));
    } else if (auto* window = qobject_cast<QWindow*>(watched);
               window != nullptr && event->type() == QEvent::Expose) {
        const bool exposed = window->isExposed();
        if (exposed && !window->property(kExposed).toBool()) {
            SendAboveRequest(connection, *window, Recorded(*window));
        }
        window->setProperty(kExposed, exposed);
    }
    return false;
}

}  // namespace vorlune
