#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
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
    // One property read, without the introspection a QDBusInterface would make at start-up.
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    // A watcher that does not answer must not hold up the start for D-Bus's 25 s.
    constexpr int kTimeoutMs = 1000;
    const QDBusMessage reply = bus.call(get, QDBus::Block, kTimeoutMs);
    const bool hostRegistered = reply.type() == QDBusMessage::ReplyMessage &&
                                !reply.arguments().isEmpty() &&
                                reply.arguments().first().value<QDBusVariant>().variant().toBool();
    return hostRegistered ? TrayKind::StatusNotifier : TrayKind::XEmbed;
}

}  // namespace vorlune
