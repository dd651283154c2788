#include "XClient.h"

#include <cstdlib>

#include "hotkeys/x11/XcbConnection.h"

namespace vorlune::test {

XClient::XClient() : connection_(xcb_connect(nullptr, nullptr)) {
    if (Connected()) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        keymap_.Load(connection_);
    }
}

XClient::~XClient() {
    if (savedPerModifier_ != 0) {
        free(xcb_set_modifier_mapping_reply(
            connection_,
            xcb_set_modifier_mapping(connection_, savedPerModifier_, savedModifiers_.data()),
            nullptr));
    }
    // Last change first, so that a keycode changed twice gets its first keysyms back.
    for (auto it = savedMappings_.rbegin(); it != savedMappings_.rend(); ++it) {
        const Saved& saved = *it;
        xcb_change_keyboard_mapping(connection_, 1, saved.keycode,
                                    static_cast<std::uint8_t>(saved.keysyms.size()),
                                    saved.keysyms.data());
    }
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    xcb_disconnect(connection_);
}

xcb_keycode_t XClient::Keycode(std::uint32_t keysym) const {
    const std::vector<xcb_keycode_t> keycodes = keymap_.KeycodesFor(keysym);
    return keycodes.empty() ? 0 : keycodes.front();
}

bool XClient::GrabKey(std::uint32_t keysym, std::uint16_t modifiers) {
    const xcb_void_cookie_t cookie =
        xcb_grab_key_checked(connection_, 0, root_, modifiers, Keycode(keysym), XCB_GRAB_MODE_ASYNC,
                             XCB_GRAB_MODE_ASYNC);
    XcbPtr<xcb_generic_error_t> error(xcb_request_check(connection_, cookie));
    return !error;
}

void XClient::FocusOwnWindow() {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    window_ = xcb_generate_id(connection_);
    const std::uint32_t events = XCB_EVENT_MASK_KEY_PRESS;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, root_, 0, 0, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK,
                      &events);
    xcb_map_window(connection_, window_);
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window_, XCB_CURRENT_TIME);
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

const std::vector<XClient::Press>& XClient::PressesReceived() {
    Collect();
    return presses_;
}

std::size_t XClient::PressesOf(std::uint32_t keysym) {
    Collect();
    const xcb_keycode_t keycode = Keycode(keysym);
    std::size_t count = 0;
    for (const Press& press : presses_) {
        count += press.keycode == keycode ? 1 : 0;
    }
    return count;
}

void XClient::Collect() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        if ((event->response_type & 0x7F) == XCB_KEY_PRESS) {
            const auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
            presses_.push_back({press->detail, press->state});
        }
        free(event);
    }
}

void XClient::MapKeycode(xcb_keycode_t keycode, std::uint32_t keysym) {
    XcbPtr<xcb_get_keyboard_mapping_reply_t> old(xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, keycode, 1), nullptr));
    if (!old) {
        return;
    }
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(old.get());
    Saved saved{keycode, {syms, syms + old->keysyms_per_keycode}};
    std::vector<xcb_keysym_t> fresh(saved.keysyms.size(), 0);
    fresh[0] = keysym;
    savedMappings_.push_back(std::move(saved));
    xcb_change_keyboard_mapping(connection_, 1, keycode, static_cast<std::uint8_t>(fresh.size()),
                                fresh.data());
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

bool XClient::AddToModifier(int index, std::uint32_t keysym) {
    XcbPtr<xcb_get_modifier_mapping_reply_t> old(xcb_get_modifier_mapping_reply(
        connection_, xcb_get_modifier_mapping(connection_), nullptr));
    if (!old || index < 0 || index > 7) {
        return false;
    }
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(old.get());
    const int per = old->keycodes_per_modifier;
    if (savedPerModifier_ == 0) {
        savedPerModifier_ = old->keycodes_per_modifier;
        savedModifiers_.assign(codes, codes + xcb_get_modifier_mapping_keycodes_length(old.get()));
    }
    // One more column, so that the key fits into any row.
    std::vector<xcb_keycode_t> rows(static_cast<std::size_t>(8 * (per + 1)), 0);
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < per; ++column) {
            rows[static_cast<std::size_t>(row * (per + 1) + column)] = codes[row * per + column];
        }
    }
    rows[static_cast<std::size_t>(index * (per + 1) + per)] = Keycode(keysym);
    XcbPtr<xcb_set_modifier_mapping_reply_t> reply(xcb_set_modifier_mapping_reply(
        connection_,
        xcb_set_modifier_mapping(connection_, static_cast<std::uint8_t>(per + 1), rows.data()),
        nullptr));
    return reply && reply->status == XCB_MAPPING_STATUS_SUCCESS;
}

}  // namespace vorlune::test
