#include "hotkeys/x11/RawInputEvents.h"

#include <xcb/xinput.h>

#include "hotkeys/x11/XcbConnection.h"

namespace vorlune {

std::optional<std::uint8_t> SelectRawInputEvents(xcb_connection_t* c, xcb_window_t root,
                                                 std::uint32_t eventMask) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_input_id);
    if (extension == nullptr || extension->present == 0) {
        return std::nullopt;
    }
    // Raw events on the root window need XInput 2.1 or later; say which version we speak.
    XcbPtr<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || (version->major_version < 2) ||
        (version->major_version == 2 && version->minor_version < 1)) {
        return std::nullopt;
    }
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{};
    // Master devices only: the slave devices would report every event a second time.
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.bits = eventMask;
    const xcb_void_cookie_t cookie = xcb_input_xi_select_events_checked(c, root, 1, &mask.head);
    if (XcbPtr<xcb_generic_error_t> error{xcb_request_check(c, cookie)}) {
        return std::nullopt;
    }
    return extension->major_opcode;
}

}  // namespace vorlune
