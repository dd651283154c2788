#include "hotkeys/HotkeyPlatform.h"

#include "hotkeys/NullHotkeys.h"
#include "hotkeys/x11/X11HotkeyBackend.h"
#include "hotkeys/x11/X11KeyWatcher.h"

namespace vorlune {

HotkeyPlatform CreateHotkeyPlatform(std::string_view qtPlatformName) {
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
