#include "hotkeys/portal/PortalHotkeys.h"

#include <QDBusConnection>

#include "hotkeys/portal/PortalHotkeyBackend.h"

namespace vorlune {

bool PortalOffersShortcuts() {
    return PortalHotkeyBackend::Offered(QDBusConnection::sessionBus());
}

std::unique_ptr<HotkeyBackend> MakePortalHotkeyBackend() {
    return std::make_unique<PortalHotkeyBackend>(QDBusConnection::sessionBus());
}

}  // namespace vorlune
