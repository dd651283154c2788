#include "hotkeys/x11/X11KeyWatcher.h"

#include <xcb/xinput.h>

#include <QTimer>

#include "hotkeys/x11/RawInputEvents.h"

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
    const std::optional<std::uint8_t> opcode = SelectRawInputEvents(
        connection_->Get(), connection_->Root(),
        XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE);
    if (!opcode) {
        return false;
    }
    xinputOpcode_ = *opcode;
    return true;
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
    // A key without any virtual-key code is reported as code 0: it still writes the capture.
    if (handler_) {
        // A copy: the handler may stop the watcher.
        Handler handler = handler_;
        handler({keymap_.VirtualKeyAt(keycode), pressed});
    }
}

}  // namespace vorlune
