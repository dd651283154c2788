#pragma once

#include <memory>

#include "hotkeys/HotkeyBackend.h"
#include "hotkeys/KeyWatcher.h"

namespace vorlune {

// Key grabs on the X server of DISPLAY; nothing when no X server answers. `throughXWayland`: the
// server is a Wayland desktop's XWayland, whose grabs fire only while an X11 window has the focus.
std::unique_ptr<HotkeyBackend> OpenX11HotkeyBackend(bool throughXWayland = false);

// The X server's raw key events: every key on the desktop.
std::unique_ptr<KeyWatcher> MakeX11KeyWatcher();

}  // namespace vorlune
