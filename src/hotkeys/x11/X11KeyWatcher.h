#pragma once

#include <xcb/xcb.h>

#include <memory>
#include <set>

#include "hotkeys/KeyWatcher.h"
#include "hotkeys/x11/X11Keymap.h"
#include "hotkeys/x11/XcbConnection.h"

namespace vorlune {

// Watches the keyboard through XInput2 raw key events on the root window: the server sends them
// alongside the normal delivery, so the focused window and key grabs still get every key. Each
// Start opens a connection of its own, each Stop closes it.
class X11KeyWatcher final : public KeyWatcher {
  public:
    X11KeyWatcher() = default;
    ~X11KeyWatcher() override;

    bool Start(Handler handler) override;
    void Stop() override;

  private:
    bool SelectRawKeys();
    void OnEvent(const xcb_generic_event_t& event);

    std::unique_ptr<XcbConnection> connection_;
    X11Keymap keymap_;
    std::uint8_t xinputOpcode_ = 0;
    Handler handler_;
    // Raw events do not say whether a key was down: a release of a key not down is not passed on.
    std::set<xcb_keycode_t> down_;
};

}  // namespace vorlune
