#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace vorlune {

// The server's keyboard and modifier mapping as last loaded: which keycodes carry a keysym and
// which modifier bits NumLock, Alt and Super set.
class X11Keymap {
  public:
    // Loads both mappings (two round trips); false when the server did not answer.
    bool Load(xcb_connection_t* connection);

    // Keycodes whose first column is the keysym, else those whose second column is (keypad
    // digits and point sit in the second column).
    [[nodiscard]] std::vector<xcb_keycode_t> KeycodesFor(std::uint32_t keysym) const;
    [[nodiscard]] std::uint32_t KeysymAt(xcb_keycode_t keycode, int column) const;

    // The virtual key a keycode stands for: that of its keysym, or, when its keysyms name no
    // virtual key, that of the key the PC keyboard has at this keycode. The stock keymaps give
    // the keycodes of F13-F24 (191-202) XF86 keysyms or none, so those keys come by keycode.
    // 0 for a key without any virtual-key code.
    [[nodiscard]] std::int32_t VirtualKeyAt(xcb_keycode_t keycode) const;
    // Every keycode that stands for the virtual key, by keysym or by keycode as above.
    [[nodiscard]] std::vector<xcb_keycode_t> KeycodesForVirtualKey(std::int32_t virtualKey) const;

    [[nodiscard]] std::uint16_t NumLockMask() const { return numLockMask_; }
    // Every modifier bit that a locking key sets (CapsLock, NumLock, ScrollLock, or any lock
    // key an xmodmap put on a modifier), without the bits of Shift, Ctrl, Alt and Super; Lock
    // is always among them.
    [[nodiscard]] std::uint16_t LockMask() const { return lockMask_; }
    [[nodiscard]] std::uint16_t AltMask() const { return altMask_; }
    [[nodiscard]] std::uint16_t SuperMask() const { return superMask_; }

  private:
    [[nodiscard]] bool HasKeycode(xcb_keycode_t keycode) const;
    [[nodiscard]] bool IsLockKey(xcb_keycode_t keycode) const;
    [[nodiscard]] std::uint16_t ModifierMaskOf(std::uint32_t keysym, std::uint16_t fallback) const;

    xcb_keycode_t minKeycode_ = 0;
    int keysymsPerKeycode_ = 0;
    std::vector<std::uint32_t> keysyms_;
    // Eight modifier rows of keycodesPerModifier_ keycodes each.
    int keycodesPerModifier_ = 0;
    std::vector<xcb_keycode_t> modifierKeycodes_;
    std::uint16_t numLockMask_ = XCB_MOD_MASK_2;
    std::uint16_t lockMask_ = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
    std::uint16_t altMask_ = XCB_MOD_MASK_1;
    std::uint16_t superMask_ = XCB_MOD_MASK_4;
};

}  // namespace vorlune
