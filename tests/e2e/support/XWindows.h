#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlune::test {

// Asks a top-level window on $DISPLAY to close the way a window manager does when the user
// clicks the title bar's close button: a WM_DELETE_WINDOW client message, which the program
// sees as a close event (xdotool's windowclose destroys the window instead).
bool SendDeleteWindow(std::uint32_t window);

// A window's title as UTF-8 (_NET_WM_NAME, else WM_NAME); empty when it has none.
std::string WindowTitle(std::uint32_t window);

// Pop-ups (tooltips, menus, combo-box lists) bypass the window manager: true for those, false
// for dialogs, message boxes and main windows, and for a window that does not exist.
bool IsPopup(std::uint32_t window);

// Where a window is on the screen, and whether it is shown there.
struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool viewable = false;
    bool operator==(const WindowPlace&) const = default;
};
std::optional<WindowPlace> PlaceOf(std::uint32_t window);
// The parent of a window: the root window, a window manager's frame, or the tray that embeds
// an icon.
std::optional<std::uint32_t> ParentOf(std::uint32_t window);
// The X client that created a window, as the base of its resource ids: windows of one client
// share it.
std::uint32_t ClientOf(std::uint32_t window);
// The names of the atoms in the window's _NET_WM_STATE (e.g. "_NET_WM_STATE_ABOVE"), as the
// window manager keeps them.
std::vector<std::string> NetWmState(std::uint32_t window);

}  // namespace vorlune::test
