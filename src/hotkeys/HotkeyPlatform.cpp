#include "hotkeys/HotkeyPlatform.h"

#include <cstdlib>
#include <optional>

#include "hotkeys/HotkeyBackendChoice.h"
#include "hotkeys/NullHotkeys.h"
#include "hotkeys/focus/FocusKeyWatcher.h"
#include "hotkeys/portal/PortalHotkeys.h"
#include "hotkeys/x11/X11Hotkeys.h"

namespace vorlune {
namespace {

std::string_view Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string_view(value) : std::string_view();
}

}  // namespace

HotkeyPlatform CreateHotkeyPlatform(std::string_view qtPlatformName) {
    std::optional<bool> portal;
    std::unique_ptr<HotkeyBackend> x11;
    const bool waylandSession =
        !Environment("WAYLAND_DISPLAY").empty() || Environment("XDG_SESSION_TYPE") == "wayland";
    const auto portalOffers = [&portal] {
        if (!portal) {
            portal = PortalOffersShortcuts();
        }
        return *portal;
    };
    const auto x11Reachable = [&x11, waylandSession] {
        if (!x11) {
            x11 = OpenX11HotkeyBackend(waylandSession);
        }
        return x11 != nullptr;
    };
    const HotkeyBackendKind kind = ChooseHotkeyBackend({
        .forced = Environment("VORLUNE_HOTKEYS"),
        .qtPlatform = qtPlatformName,
        .waylandSession = waylandSession,
        .portalOffersShortcuts = portalOffers,
        .x11Reachable = x11Reachable,
    });

    HotkeyPlatform platform;
    if (kind == HotkeyBackendKind::Portal && portalOffers()) {
        platform.backend = MakePortalHotkeyBackend();
    } else if (kind == HotkeyBackendKind::X11 && x11Reachable()) {
        platform.backend = std::move(x11);
    } else {
        platform.backend = std::make_unique<NullHotkeyBackend>();
    }
    switch (ChooseKeyWatcher(kind, qtPlatformName)) {
        case KeyWatcherKind::Typed:
            platform.watcher = std::make_unique<FocusKeyWatcher>();
            break;
        case KeyWatcherKind::X11:
            platform.watcher = MakeX11KeyWatcher();
            break;
        case KeyWatcherKind::None:
            platform.watcher = std::make_unique<NullKeyWatcher>();
            break;
    }
    return platform;
}

}  // namespace vorlune
