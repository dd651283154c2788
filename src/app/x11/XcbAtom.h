// The X server's number for an atom's name, asked with one round trip.
#pragma once

#include <xcb/xcb.h>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace vorlune {

inline xcb_atom_t XcbAtom(xcb_connection_t* connection, std::string_view name) {
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr) {
        return XCB_ATOM_NONE;
    }
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

}  // namespace vorlune
