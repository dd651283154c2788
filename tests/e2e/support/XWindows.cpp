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

// One connection for one question, as the other helpers here.
class Connection {
  public:
    Connection() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~Connection() { xcb_disconnect(connection_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    [[nodiscard]] xcb_connection_t* get() const { return connection_; }

  private:
    xcb_connection_t* connection_;
};

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

std::optional<WindowPlace> PlaceOf(std::uint32_t window) {
    const Connection x;
    xcb_connection_t* c = x.get();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    xcb_translate_coordinates_reply_t* onScreen = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    std::optional<WindowPlace> place;
    if (geometry != nullptr && onScreen != nullptr && attributes != nullptr) {
        place = WindowPlace{onScreen->dst_x, onScreen->dst_y, geometry->width, geometry->height,
                            attributes->map_state == XCB_MAP_STATE_VIEWABLE};
    }
    std::free(geometry);
    std::free(onScreen);
    std::free(attributes);
    return place;
}

std::optional<std::uint32_t> ParentOf(std::uint32_t window) {
    const Connection x;
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(x.get(), xcb_query_tree(x.get(), window), nullptr);
    std::optional<std::uint32_t> parent;
    if (tree != nullptr) {
        parent = tree->parent;
    }
    std::free(tree);
    return parent;
}

std::uint32_t ClientOf(std::uint32_t window) {
    const Connection x;
    return window & ~xcb_get_setup(x.get())->resource_id_mask;
}

std::vector<std::string> NetWmState(std::uint32_t window) {
    const Connection x;
    xcb_connection_t* c = x.get();
    std::vector<std::string> names;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, Atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64), nullptr);
    if (reply == nullptr) {
        return names;
    }
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    const int count = xcb_get_property_value_length(reply) / static_cast<int>(sizeof(xcb_atom_t));
    for (int i = 0; i < count; ++i) {
        xcb_get_atom_name_reply_t* name =
            xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atoms[i]), nullptr);
        if (name != nullptr) {
            names.emplace_back(xcb_get_atom_name_name(name),
                               static_cast<std::size_t>(xcb_get_atom_name_name_length(name)));
        }
        std::free(name);
    }
    std::free(reply);
    return names;
}

}  // namespace vorlune::test
