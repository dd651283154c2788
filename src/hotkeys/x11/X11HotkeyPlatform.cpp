#include "hotkeys/HotkeyPlatform.h"

#include "hotkeys/NullHotkeys.h"
#include "hotkeys/focus/FocusKeyWatcher.h"
#include "hotkeys/x11/X11HotkeyBackend.h"
#include "hotkeys/x11/X11KeyWatcher.h"

namespace vorlune {

HotkeyPlatform CreateHotkeyPlatform(std::string_view qtPlatformName) {
    // A native Wayland window: X11 grabs would reach the program only while an X window had the
    // focus, and the keys typed into the program are all a capture can see.
    if (qtPlatformName == "wayland") {
        return {std::make_unique<NullHotkeyBackend>(), std::make_unique<FocusKeyWatcher>()};
    }
    // Without a screen of Qt's own there is no desktop whose keys belong to us.
    if (qtPlatformName != "offscreen" && qtPlatformName != "minimal") {
        if (std::unique_ptr<XcbConnection> connection = XcbConnection::Open()) {
            return {std::make_unique<X11HotkeyBackend>(std::move(connection)),
                    std::make_unique<X11KeyWatcher>()};
        }
    }
    return {std::make_unique<NullHotkeyBackend>(), std::make_unique<NullKeyWatcher>()};
}

}  // namespace vorlune
