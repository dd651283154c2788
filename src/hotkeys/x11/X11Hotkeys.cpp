#include "hotkeys/x11/X11Hotkeys.h"

#include "hotkeys/x11/X11HotkeyBackend.h"
#include "hotkeys/x11/X11KeyWatcher.h"

namespace vorlune {

std::unique_ptr<HotkeyBackend> OpenX11HotkeyBackend(bool throughXWayland) {
    if (std::unique_ptr<XcbConnection> connection = XcbConnection::Open()) {
        return std::make_unique<X11HotkeyBackend>(std::move(connection), throughXWayland);
    }
    return nullptr;
}

std::unique_ptr<KeyWatcher> MakeX11KeyWatcher() {
    return std::make_unique<X11KeyWatcher>();
}

}  // namespace vorlune
