#include "decoration/DesktopCompositing.h"

namespace vorlune {

// Desktops without an X11 backend here (Windows, macOS) always blend layered windows.
bool DesktopCompositing() {
    return true;
}

}  // namespace vorlune
