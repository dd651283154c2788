#include "hotkeys/x11/X11Keymap.h"

#include <X11/keysym.h>

#include <set>

#include "hotkeys/x11/VirtualKeySymbols.h"
#include "hotkeys/x11/XcbConnection.h"

namespace vorlune {
namespace {

// F13-F24 on the PC keyboard of X servers with evdev keycodes (Xvfb's among them).
constexpr xcb_keycode_t kF13Keycode = 191;
constexpr std::int32_t kF13 = 124;
constexpr std::int32_t kF24 = 135;

std::int32_t VirtualKeyOfPcKeycode(xcb_keycode_t keycode) {
    const int f = keycode - kF13Keycode;
    return f >= 0 && f <= kF24 - kF13 ? kF13 + f : 0;
}

}  // namespace

bool X11Keymap::Load(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_keycode_t min = setup->min_keycode;
    const xcb_keycode_t max = setup->max_keycode;
    const auto keyboardCookie =
        xcb_get_keyboard_mapping(connection, min, static_cast<std::uint8_t>(max - min + 1));
    const auto modifierCookie = xcb_get_modifier_mapping(connection);
    XcbPtr<xcb_get_keyboard_mapping_reply_t> keyboard(
        xcb_get_keyboard_mapping_reply(connection, keyboardCookie, nullptr));
    XcbPtr<xcb_get_modifier_mapping_reply_t> modifiers(
        xcb_get_modifier_mapping_reply(connection, modifierCookie, nullptr));
    if (!keyboard || !modifiers) {
        return false;
    }
    minKeycode_ = min;
    keysymsPerKeycode_ = keyboard->keysyms_per_keycode;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    keysyms_.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(keyboard.get()));
    keycodesPerModifier_ = modifiers->keycodes_per_modifier;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    modifierKeycodes_.assign(codes,
                             codes + xcb_get_modifier_mapping_keycodes_length(modifiers.get()));
    numLockMask_ = ModifierMaskOf(XK_Num_Lock, 0);
    altMask_ = ModifierMaskOf(XK_Alt_L, XCB_MOD_MASK_1);
    superMask_ = ModifierMaskOf(XK_Super_L, XCB_MOD_MASK_4);
    lockMask_ = XCB_MOD_MASK_LOCK;
    for (std::size_t i = 0; i < modifierKeycodes_.size(); ++i) {
        if (IsLockKey(modifierKeycodes_[i])) {
            lockMask_ |= static_cast<std::uint16_t>(
                1U << (i / static_cast<std::size_t>(keycodesPerModifier_)));
        }
    }
    lockMask_ &= static_cast<std::uint16_t>(
        ~(XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | altMask_ | superMask_));
    return true;
}

bool X11Keymap::IsLockKey(xcb_keycode_t keycode) const {
    for (int column = 0; keycode != 0 && column < keysymsPerKeycode_; ++column) {
        switch (KeysymAt(keycode, column)) {
            case XK_Caps_Lock:
            case XK_Shift_Lock:
            case XK_Num_Lock:
            case XK_Scroll_Lock:
            case XK_Kana_Lock:
                return true;
            default:
                break;
        }
    }
    return false;
}

std::uint32_t X11Keymap::KeysymAt(xcb_keycode_t keycode, int column) const {
    if (keycode < minKeycode_ || column < 0 || column >= keysymsPerKeycode_) {
        return 0;
    }
    const std::size_t at = static_cast<std::size_t>(keycode - minKeycode_) *
                               static_cast<std::size_t>(keysymsPerKeycode_) +
                           static_cast<std::size_t>(column);
    return at < keysyms_.size() ? keysyms_[at] : 0;
}

std::vector<xcb_keycode_t> X11Keymap::KeycodesFor(std::uint32_t keysym) const {
    std::vector<xcb_keycode_t> found;
    if (keysymsPerKeycode_ == 0 || keysym == 0) {
        return found;
    }
    const std::size_t rows = keysyms_.size() / static_cast<std::size_t>(keysymsPerKeycode_);
    for (int column = 0; column < 2 && found.empty(); ++column) {
        for (std::size_t row = 0; row < rows; ++row) {
            const auto keycode = static_cast<xcb_keycode_t>(minKeycode_ + row);
            if (KeysymAt(keycode, column) == keysym) {
                found.push_back(keycode);
            }
        }
    }
    return found;
}

bool X11Keymap::HasKeycode(xcb_keycode_t keycode) const {
    return keysymsPerKeycode_ != 0 && keycode >= minKeycode_ &&
           static_cast<std::size_t>(keycode - minKeycode_) <
               keysyms_.size() / static_cast<std::size_t>(keysymsPerKeycode_);
}

std::int32_t X11Keymap::VirtualKeyAt(xcb_keycode_t keycode) const {
    const std::int32_t byKeysym =
        VirtualKeyForKeysym(WatchedKeysym(KeysymAt(keycode, 0), KeysymAt(keycode, 1)));
    return byKeysym != 0 ? byKeysym : VirtualKeyOfPcKeycode(keycode);
}

std::vector<xcb_keycode_t> X11Keymap::KeycodesForVirtualKey(std::int32_t virtualKey) const {
    std::set<xcb_keycode_t> keycodes;
    for (std::uint32_t keysym : KeysymsForVirtualKey(virtualKey)) {
        for (xcb_keycode_t keycode : KeycodesFor(keysym)) {
            keycodes.insert(keycode);
        }
    }
    if (virtualKey >= kF13 && virtualKey <= kF24) {
        const auto keycode = static_cast<xcb_keycode_t>(kF13Keycode + (virtualKey - kF13));
        if (HasKeycode(keycode) && VirtualKeyAt(keycode) == virtualKey) {
            keycodes.insert(keycode);
        }
    }
    return {keycodes.begin(), keycodes.end()};
}

std::uint16_t X11Keymap::ModifierMaskOf(std::uint32_t keysym, std::uint16_t fallback) const {
    const std::vector<xcb_keycode_t> keycodes = KeycodesFor(keysym);
    for (std::size_t i = 0; i < modifierKeycodes_.size(); ++i) {
        for (xcb_keycode_t keycode : keycodes) {
            if (modifierKeycodes_[i] == keycode && keycode != 0) {
                return static_cast<std::uint16_t>(
                    1U << (i / static_cast<std::size_t>(keycodesPerModifier_)));
            }
        }
    }
    return fallback;
}

}  // namespace vorlune
