#include "WindowManagerStandIn.h"

#include <cstdlib>
#include <string_view>
#include <thread>

namespace vorlune::test {
namespace {

constexpr std::uint32_t kNormalState = 1;
constexpr std::uint32_t kIconicState = 3;
// Time for the program to read the NormalState of a window that was just mapped.
constexpr auto kSettle = std::chrono::milliseconds(300);

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

}  // namespace

WindowManagerStandIn::WindowManagerStandIn() : connection_(xcb_connect(nullptr, nullptr)) {
    if (!Connected()) {
        return;
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    wmState_ = Atom(connection_, "WM_STATE");
    // Any client may watch the root window's children; only redirecting them is exclusive.
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

WindowManagerStandIn::~WindowManagerStandIn() {
    xcb_disconnect(connection_);
}

bool WindowManagerStandIn::Minimise(std::uint32_t window) {
    if (!Connected() || wmState_ == XCB_ATOM_NONE) {
        return false;
    }
    Collect();
    if (const auto mapped = mappedAt_.find(window); mapped != mappedAt_.end()) {
        std::this_thread::sleep_until(mapped->second + kSettle);
    }
    SetState(window, kIconicState);
    const xcb_void_cookie_t unmapped = xcb_unmap_window_checked(connection_, window);
    xcb_generic_error_t* error = xcb_request_check(connection_, unmapped);
    std::free(error);
    return error == nullptr;
}

void WindowManagerStandIn::SetState(std::uint32_t window, std::uint32_t state) {
    const std::uint32_t value[2] = {state, XCB_WINDOW_NONE};
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, wmState_, wmState_, 32, 2,
                        value);
    xcb_flush(connection_);
}

void WindowManagerStandIn::Collect() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        // The program's own notice has the "sent" bit; the server's unmap of our own
        // Minimise does not.
        const bool sent = (event->response_type & 0x80) != 0;
        const int type = event->response_type & 0x7F;
        if (type == XCB_UNMAP_NOTIFY && sent) {
            const auto* unmap = reinterpret_cast<xcb_unmap_notify_event_t*>(event);
            withdrawn_.insert(unmap->window);
        } else if (type == XCB_MAP_NOTIFY && !sent) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (map->override_redirect == 0) {
                SetState(map->window, kNormalState);
                mappedAt_[map->window] = std::chrono::steady_clock::now();
            }
        }
        std::free(event);
    }
}

bool WindowManagerStandIn::Withdrawn(std::uint32_t window) {
    Collect();
    return withdrawn_.erase(window) != 0;
}

std::optional<WindowManagerStandIn::Place> WindowManagerStandIn::PlaceOf(std::uint32_t window) {
    Collect();
    return test::PlaceOf(window);
}

}  // namespace vorlune::test
