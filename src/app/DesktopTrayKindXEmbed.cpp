#include "app/TrayKind.h"

namespace vorlune {

// Built without D-Bus: Qt has only the X11 tray then.
TrayKind DesktopTrayKind() {
    return TrayKind::XEmbed;
}

}  // namespace vorlune
