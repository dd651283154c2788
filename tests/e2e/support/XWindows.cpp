#include "XWindows.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace vorlune::test {
namespace {

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr);
    xcb_atom_t atom = XCB_ATOM_NONE;
    if (reply != nullptr) {
        atom = reply->atom;
    }
    std::free(reply);
    return atom;
}

}  // namespace

bool SendDeleteWindow(std::uint32_t window) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom(connection, "WM_PROTOCOLS");
    event.data.data32[0] = Atom(connection, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    // With no event mask the message goes to the client that created the window.
    const xcb_void_cookie_t sent = xcb_send_event_checked(
        connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_generic_error_t* error = xcb_request_check(connection, sent);
    const bool ok = error == nullptr && event.type != XCB_ATOM_NONE;
    std::free(error);
    xcb_disconnect(connection);
    return ok;
}

std::string WindowTitle(std::uint32_t window) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    std::string title;
    for (const xcb_atom_t property :
         {Atom(connection, "_NET_WM_NAME"), xcb_atom_t{XCB_ATOM_WM_NAME}}) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr);
        if (reply != nullptr) {
            title.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply)));
            std::free(reply);
        }
        if (!title.empty()) {
            break;
        }
    }
    xcb_disconnect(connection);
    return title;
}

bool IsPopup(std::uint32_t window) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr);
    const bool popup = attributes != nullptr && attributes->override_redirect != 0;
    std::free(attributes);
    xcb_disconnect(connection);
    return popup;
}

}  // namespace vorlune::test
