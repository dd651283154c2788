#pragma once

#include <memory>
#include <string_view>

#include "hotkeys/HotkeyBackend.h"
#include "hotkeys/KeyWatcher.h"

namespace vorlune {

// The hotkey services of this session.
struct HotkeyPlatform {
    std::unique_ptr<HotkeyBackend> backend;
    std::unique_ptr<KeyWatcher> watcher;

    // Whether global hotkeys work here at all; when not, the UI says so once.
    [[nodiscard]] bool HotkeysAvailable() const { return backend && backend->Available(); }
};

// The real services when the session has a display they can use, otherwise ones that refuse
// everything. `qtPlatformName` is QGuiApplication::platformName(): on "offscreen" and "minimal"
// nothing is grabbed even when an X display is reachable. Call after the application object
// exists; the services live on the calling (user-interface) thread.
HotkeyPlatform CreateHotkeyPlatform(std::string_view qtPlatformName);

}  // namespace vorlune
