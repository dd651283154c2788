#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <string_view>

#include "app/KeepAbove.h"

namespace vorlune {
namespace {

constexpr const char* kKeptAbove = "vorluneKeptAbove";

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr) {
        return XCB_ATOM_NONE;
    }
    const xcb_atom_t atom = reply->atom;
    free(reply);
    return atom;
}

// Asks the window manager to add or remove _NET_WM_STATE_ABOVE; it changes only the stacking.
bool SendAboveRequest(QWidget* window, bool above) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return false;
    }
    xcb_connection_t* connection = x11->connection();
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window->winId());
    event.type = Atom(connection, "_NET_WM_STATE");
    event.data.data32[0] = above ? 1 : 0;  // _NET_WM_STATE_ADD or _REMOVE
    event.data.data32[1] = Atom(connection, "_NET_WM_STATE_ABOVE");
    event.data.data32[3] = 1;  // a normal application asks
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
    return true;
}

}  // namespace

void WindowKeepAbove::SetKeepAbove(QWidget* window, bool above) {
    // Wayland lets no program keep its window above the others, and showing the window again
    // with the flag would only make the compositor place it anew: nothing is asked, and the
    // window is not said to be kept above. The setting stays as the user chose it.
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        window->setProperty(kKeptAbove, false);
        return;
    }
    window->setProperty(kKeptAbove, above);
    if (window->isVisible() && SendAboveRequest(window, above)) {
        return;
    }
    // Not shown yet (or not on X11): the flag takes effect when the window is shown.
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, above);
    if (visible) {
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        window->show();
    }
}

bool WindowKeepAbove::IsKeptAbove(const QWidget* window) const {
    return window->property(kKeptAbove).toBool();
}

}  // namespace vorlune
