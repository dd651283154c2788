#pragma once

#include <memory>

#include "hotkeys/HotkeyBackend.h"
#include "hotkeys/KeyWatcher.h"

namespace vorlune {

// Key grabs on the X server of DISPLAY; nothing when no X server answers.
std::unique_ptr<HotkeyBackend> OpenX11HotkeyBackend();

// The X server's raw key events: every key on the desktop.
std::unique_ptr<KeyWatcher> MakeX11KeyWatcher();

}  // namespace vorlune
