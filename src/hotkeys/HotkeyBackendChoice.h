#pragma once

#include <functional>
#include <string_view>

namespace vorlune {

// Which global hotkeys a session offers the program.
enum class HotkeyBackendKind {
    X11,     // key grabs on an X server
    Portal,  // the desktop's global-shortcuts portal
    None,    // clicks only
};

// What the choice looks at. The two questions are asked only when the answer matters: asking
// for the portal may start it.
struct HotkeySession {
    std::string_view
        forced;  // VORLUNE_HOTKEYS: "x11", "portal" or "none"; anything else is no choice
    std::string_view qtPlatform;  // QGuiApplication::platformName()
    bool waylandSession = false;  // WAYLAND_DISPLAY set, or XDG_SESSION_TYPE=wayland
    std::function<bool()> portalOffersShortcuts;
    std::function<bool()> x11Reachable;
};

// A forced backend first. Otherwise nothing where Qt draws off screen; in a Wayland session the
// portal when it offers global shortcuts, even when XWayland is there as well (X11 grabs fire
// only while an X11 window has the focus); else X11 when an X server answers; else none.
HotkeyBackendKind ChooseHotkeyBackend(const HotkeySession& session);

// Which key watcher a capture uses with the backend: keys typed into the program's own windows
// on Wayland and with the portal (the desktop shows no other program's keys), the X server's
// raw keys with X11 on an X11 window.
enum class KeyWatcherKind { Typed, X11, None };
KeyWatcherKind ChooseKeyWatcher(HotkeyBackendKind backend, std::string_view qtPlatform);

}  // namespace vorlune
