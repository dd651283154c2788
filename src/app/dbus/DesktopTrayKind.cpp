#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QVariant>

#include "app/TrayKind.h"

namespace vorlune {

TrayKind DesktopTrayKind() {
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(watcher).value()) {
        return TrayKind::XEmbed;
    }
    QDBusInterface host(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return host.isValid() && host.property("IsStatusNotifierHostRegistered").toBool()
               ? TrayKind::StatusNotifier
               : TrayKind::XEmbed;
}

}  // namespace vorlune
