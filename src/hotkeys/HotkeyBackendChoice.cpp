#include "hotkeys/HotkeyBackendChoice.h"

namespace vorlune {
namespace {

bool DrawsOffScreen(std::string_view qtPlatform) {
    return qtPlatform == "offscreen" || qtPlatform == "minimal";
}

bool Ask(const std::function<bool()>& question) {
    return question && question();
}

}  // namespace

HotkeyBackendKind ChooseHotkeyBackend(const HotkeySession& session) {
    if (session.forced == "x11") {
        return HotkeyBackendKind::X11;
    }
    if (session.forced == "portal") {
        return HotkeyBackendKind::Portal;
    }
    if (session.forced == "none" || DrawsOffScreen(session.qtPlatform)) {
        return HotkeyBackendKind::None;
    }
    if (session.waylandSession && Ask(session.portalOffersShortcuts)) {
        return HotkeyBackendKind::Portal;
    }
    if (Ask(session.x11Reachable)) {
        return HotkeyBackendKind::X11;
    }
    return HotkeyBackendKind::None;
}

KeyWatcherKind ChooseKeyWatcher(HotkeyBackendKind backend, std::string_view qtPlatform) {
    if (DrawsOffScreen(qtPlatform)) {
        return KeyWatcherKind::None;
    }
    if (qtPlatform == "wayland" || backend == HotkeyBackendKind::Portal) {
        return KeyWatcherKind::Typed;
    }
    return backend == HotkeyBackendKind::X11 ? KeyWatcherKind::X11 : KeyWatcherKind::None;
}

}  // namespace vorlune
