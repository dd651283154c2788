#include "decoration/DesktopCompositing.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace vorlune {
namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

}  // namespace

bool DesktopCompositing() {
    // A Wayland compositor blends, but places every window itself: a shadow window would land
    // anywhere on the screen instead of under its owner.
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        return false;
    }
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) {
        return true;  // the off-screen platform always blends
    }
    xcb_connection_t* connection = x11->connection();
    // A compositing manager owns the selection _NET_WM_CM_S<screen> while it runs.
    static constexpr char kSelection[] = "_NET_WM_CM_S0";
    const Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof kSelection - 1, kSelection), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE) {
        return false;  // nobody ever asked for the name, so nobody owns it
    }
    const Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

}  // namespace vorlune
