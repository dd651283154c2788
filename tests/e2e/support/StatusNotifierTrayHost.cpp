// A desktop's D-Bus tray as the end-to-end tests need it: the one StatusNotifierWatcher of the
// session bus, with a host registered, so that a Qt program shows its tray icon there instead of
// in an XEmbed tray (as on KDE Plasma or GNOME with AppIndicator). It keeps the items that
// register and forgets those whose owner leaves the bus; the test reads them and calls the
// items' methods (Activate, ContextMenu) itself, as a tray does when the user clicks.
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QStringList>
#include <cstdio>

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");

class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ Items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ HostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)

  public:
    explicit Watcher(const QDBusConnection& bus)
        : owners_(QString(), bus, QDBusServiceWatcher::WatchForUnregistration) {
        connect(&owners_, &QDBusServiceWatcher::serviceUnregistered, this, &Watcher::OwnerLeft);
    }

    [[nodiscard]] QStringList Items() const { return items_; }
    [[nodiscard]] bool HostRegistered() const { return true; }  // this process is the host
    [[nodiscard]] int ProtocolVersion() const { return 0; }

    // NOLINTNEXTLINE(readability-redundant-access-specifiers): Qt's slots section
  public slots:
    // The argument is the item's bus name (its object then sits at /StatusNotifierItem) or
    // the object path of an item owned by the caller.
    void RegisterStatusNotifierItem(const QString& serviceOrPath, const QDBusMessage& call) {
        const bool isPath = serviceOrPath.startsWith(QLatin1Char('/'));
        const QString service = isPath ? call.service() : serviceOrPath;
        const QString item = service + (isPath ? serviceOrPath : kItemPath);
        if (!items_.contains(item)) {
            items_.append(item);
            owners_.addWatchedService(service);
            std::printf("registered %s\n", qPrintable(item));
            std::fflush(stdout);
            emit StatusNotifierItemRegistered(item);
        }
    }
    void RegisterStatusNotifierHost(const QString& /*service*/) {}

  signals:
    // moc writes the definitions with parameter names of its own.
    // NOLINTBEGIN(readability-inconsistent-declaration-parameter-name)
    void StatusNotifierItemRegistered(const QString& item);
    void StatusNotifierItemUnregistered(const QString& item);
    // NOLINTEND(readability-inconsistent-declaration-parameter-name)
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();

  private:
    void OwnerLeft(const QString& service) {
        for (const QString& item : QStringList(items_)) {
            if (item.startsWith(service + QLatin1Char('/'))) {
                items_.removeAll(item);
                emit StatusNotifierItemUnregistered(item);
            }
        }
        owners_.removeWatchedService(service);
    }

    QStringList items_;
    QDBusServiceWatcher owners_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no session bus: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    Watcher watcher(bus);
    // The object first: a program that sees the name must find the whole watcher behind it.
    if (!bus.registerObject(kWatcherPath, &watcher,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerService(kWatcherService) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierHost-%1").arg(getpid()))) {
        std::fprintf(stderr, "cannot serve the watcher: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    return QCoreApplication::exec();
}

#include "StatusNotifierTrayHost.moc"
