#pragma once

#include <cstdint>
#include <string>

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

}  // namespace vorlune::test
