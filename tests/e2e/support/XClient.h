#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "hotkeys/x11/X11Keymap.h"

namespace vorlune::test {

// Another X client, as a test plays it: holds key grabs of its own, owns a focused window that
// counts the key presses reaching it, and changes the keyboard mapping.
class XClient {
  public:
    XClient();
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool Connected() const { return xcb_connection_has_error(connection_) == 0; }
    xcb_keycode_t Keycode(std::uint32_t keysym) const;

    // false when the server refused (BadAccess: someone else holds it).
    bool GrabKey(std::uint32_t keysym, std::uint16_t modifiers);

    // Maps a window, gives it the input focus and collects the keys pressed into it with the
    // modifier and lock bits of each press (NumLock shows as Mod2).
    struct Press {
        xcb_keycode_t keycode;
        std::uint16_t state;
    };
    void FocusOwnWindow();
    const std::vector<Press>& PressesReceived();
    std::size_t PressesOf(std::uint32_t keysym);

    // Puts `keysym` alone on `keycode`; the previous keysyms are put back on destruction.
    void MapKeycode(xcb_keycode_t keycode, std::uint32_t keysym);
    // Adds the key of `keysym` to modifier `index` (0 Shift ... 7 Mod5), as `xmodmap -e "add
    // mod3 = Scroll_Lock"` does; the modifier mapping is put back on destruction. false when the
    // server refused.
    bool AddToModifier(int index, std::uint32_t keysym);

  private:
    void Collect();

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_window_t window_ = 0;
    X11Keymap keymap_;
    std::vector<Press> presses_;
    struct Saved {
        xcb_keycode_t keycode;
        std::vector<xcb_keysym_t> keysyms;
    };
    std::vector<Saved> savedMappings_;
    // The modifier mapping before the first AddToModifier: keycodes per modifier, then the rows.
    std::vector<xcb_keycode_t> savedModifiers_;
    std::uint8_t savedPerModifier_ = 0;
};

}  // namespace vorlune::test
