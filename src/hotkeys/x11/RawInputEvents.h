#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

namespace vorlune {

// Asks the X server for XInput 2 raw events of the kinds in `eventMask`
// (XCB_INPUT_XI_EVENT_MASK_RAW_*) from the master devices, as they reach `root`. Raw events
// see every key and button on the desktop, whichever window has the focus, and take nothing
// from it. Gives the extension's opcode, which marks its events; nothing when the server has
// no XInput 2.1 or refuses.
std::optional<std::uint8_t> SelectRawInputEvents(xcb_connection_t* connection, xcb_window_t root,
                                                 std::uint32_t eventMask);

}  // namespace vorlune
