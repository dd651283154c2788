#include "hotkeys/x11/X11KeyWatcher.h"

#include <xcb/xinput.h>

#include <QTimer>

#include "hotkeys/x11/VirtualKeySymbols.h"

namespace vorlune {

X11KeyWatcher::~X11KeyWatcher() {
    Stop();
}

bool X11KeyWatcher::Start(Handler handler) {
    handler_ = std::move(handler);
    if (connection_) {
        return true;
    }
    connection_ = XcbConnection::Open();
    if (!connection_ || !keymap_.Load(connection_->Get()) || !SelectRawKeys()) {
        connection_.reset();
        handler_ = nullptr;
        return false;
    }
    connection_->SetEventHandler([this](const xcb_generic_event_t& event) { OnEvent(event); });
    connection_->TakeQueuedEvents();
    return true;
}

void X11KeyWatcher::Stop() {
    handler_ = nullptr;
    down_.clear();
    if (connection_ && connection_->Dispatching()) {
        // Stopped from its own handler: close the connection once that handler has returned.
        connection_->SetEventHandler(nullptr);
        XcbConnection* closing = connection_.release();
        QTimer::singleShot(0, [closing] { delete closing; });
        return;
    }
    connection_.reset();
}

bool X11KeyWatcher::SelectRawKeys() {
    xcb_connection_t* c = connection_->Get();
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_input_id);
    if (extension == nullptr || extension->present == 0) {
        return false;
    }
    xinputOpcode_ = extension->major_opcode;
    // Raw events on the root window need XInput 2.1 or later; say which version we speak.
    XcbPtr<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || (version->major_version < 2) ||
        (version->major_version == 2 && version->minor_version < 1)) {
        return false;
    }
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{};
    // Master devices only: the slave keyboards would report every key a second time.
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.bits = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE;
    const xcb_void_cookie_t cookie =
        xcb_input_xi_select_events_checked(c, connection_->Root(), 1, &mask.head);
    XcbPtr<xcb_generic_error_t> error(xcb_request_check(c, cookie));
    return !error;
}

void X11KeyWatcher::OnEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    if (type == XCB_MAPPING_NOTIFY) {
        keymap_.Load(connection_->Get());
        connection_->TakeQueuedEvents();
        return;
    }
    if (type != XCB_GE_GENERIC) {
        return;
    }
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (generic.extension != xinputOpcode_ || (generic.event_type != XCB_INPUT_RAW_KEY_PRESS &&
                                               generic.event_type != XCB_INPUT_RAW_KEY_RELEASE)) {
        return;
    }
    const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
    const auto keycode = static_cast<xcb_keycode_t>(raw.detail);
    const bool pressed = generic.event_type == XCB_INPUT_RAW_KEY_PRESS;
    if (pressed) {
        down_.insert(keycode);
    } else if (down_.erase(keycode) == 0) {
        return;
    }
    const std::int32_t virtualKey = VirtualKeyForKeysym(
        WatchedKeysym(keymap_.KeysymAt(keycode, 0), keymap_.KeysymAt(keycode, 1)));
    if (virtualKey != 0 && handler_) {
        // A copy: the handler may stop the watcher.
        Handler handler = handler_;
        handler({virtualKey, pressed});
    }
}

}  // namespace vorlune
