// A desktop's global-shortcuts backend for tests, behind Debian's real xdg-desktop-portal
// frontend: it implements org.freedesktop.impl.portal.GlobalShortcuts, grants every preferred
// trigger unless told otherwise, writes every session, bind and close to a record file, and
// takes orders from the test on its own interface org.vorlune.TestPortal:
//   Activate(s id)              a press of the shortcut id in the latest session
//   Answer(s id, s trigger)     the trigger to give that id at the next binds ("-": leave it out)
//   Change(s id, s trigger)     the user set another trigger in the desktop's settings
//   Delay(u ms)                 answer later sessions and binds only after ms milliseconds
//   Refuse(b refuse)            the user cancels the dialog of every later bind
//   CloseSession()              the desktop closes the latest session
// Usage: vorlune_test_portal BUS-NAME RECORD-FILE (on the bus of DBUS_SESSION_BUS_ADDRESS).
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QMap>
#include <QPair>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <map>
#include <memory>

namespace {

using Shortcuts = QList<QPair<QString, QVariantMap>>;

const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kImplInterface = QStringLiteral("org.freedesktop.impl.portal.GlobalShortcuts");
const QString kImplSession = QStringLiteral("org.freedesktop.impl.portal.Session");

QString TokenOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

class Record {
  public:
    explicit Record(const QString& path) : file_(path) {
        file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
    }
    void Line(const QString& text) {
        file_.write(text.toUtf8() + '\n');
        file_.flush();
    }

  private:
    QFile file_;
};

// One session the frontend created, with the shortcuts bound in it.
class Session : public QObject {
    Q_OBJECT
  public:
    Session(QDBusConnection bus, QString path, Record& record)
        : bus_(std::move(bus)), path_(std::move(path)), record_(record) {}
    const QString& Path() const { return path_; }
    Shortcuts bound;

    // The Closed signal is sent here, under the session's path, rather than relayed by the
    // adaptor: QtDBus relays an adaptor's signal later from its own thread and looks the path
    // up only then, so a session unregistered in between would close without a word.
    void Close() {
        record_.Line(QStringLiteral("close ") + TokenOf(path_));
        bus_.send(QDBusMessage::createSignal(path_, kImplSession, QStringLiteral("Closed")));
        emit Closed();
    }
  signals:
    void Closed();

  private:
    QDBusConnection bus_;
    QString path_;
    Record& record_;
};

class SessionAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.Session")
  public:
    explicit SessionAdaptor(Session* session) : QDBusAbstractAdaptor(session), session_(session) {}
  public slots:
    void Close() { session_->Close(); }

  private:
    Session* session_;
};

class Portal : public QObject {
    Q_OBJECT
  public:
    Portal(QDBusConnection bus, const QString& recordPath)
        : bus_(std::move(bus)), record_(recordPath) {}

    unsigned CreateSession(const QDBusObjectPath& sessionHandle, const QString& appId) {
        // A frontend that was restarted hands out the paths of its lost sessions again.
        if (sessions_.contains(sessionHandle.path())) {
            Forget(sessions_.at(sessionHandle.path()).get());
        }
        auto session = std::make_unique<Session>(bus_, sessionHandle.path(), record_);
        new SessionAdaptor(session.get());
        Session* raw = session.get();
        connect(
            raw, &Session::Closed, this, [this, raw] { Forget(raw); }, Qt::QueuedConnection);
        if (!bus_.registerObject(sessionHandle.path(), raw, QDBusConnection::ExportAdaptors)) {
            return 2;
        }
        sessions_[sessionHandle.path()] = std::move(session);
        latest_ = sessionHandle.path();
        record_.Line(QStringLiteral("session ") + TokenOf(sessionHandle.path()) +
                     QStringLiteral(" app=") + appId);
        return 0;
    }

    unsigned Bind(const QDBusObjectPath& sessionHandle, const Shortcuts& shortcuts,
                  QVariantMap& results) {
        const auto it = sessions_.find(sessionHandle.path());
        if (it == sessions_.end()) {
            return 2;
        }
        record_.Line(QStringLiteral("bind ") + TokenOf(sessionHandle.path()) + QLatin1Char(' ') +
                     QString::number(shortcuts.size()));
        Shortcuts granted;
        for (const auto& [id, properties] : shortcuts) {
            const QString preferred =
                properties.value(QStringLiteral("preferred_trigger")).toString();
            record_.Line(QStringLiteral("shortcut ") + id + QLatin1Char('\t') + preferred +
                         QLatin1Char('\t') +
                         properties.value(QStringLiteral("description")).toString());
            const QString trigger = answers_.contains(id) ? answers_.value(id) : preferred;
            if (trigger != QStringLiteral("-")) {
                granted.append({id,
                                {{QStringLiteral("description"),
                                  properties.value(QStringLiteral("description"))},
                                 {QStringLiteral("trigger_description"), trigger}}});
            }
        }
        it->second->bound = granted;
        results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(granted));
        return 0;
    }

    unsigned List(const QDBusObjectPath& sessionHandle, QVariantMap& results) {
        const auto it = sessions_.find(sessionHandle.path());
        if (it == sessions_.end()) {
            return 2;
        }
        results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(it->second->bound));
        return 0;
    }

    void Activate(const QString& id) {
        QDBusMessage signal =
            QDBusMessage::createSignal(kObject, kImplInterface, QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(latest_)) << id
               << static_cast<qulonglong>(QDateTime::currentMSecsSinceEpoch()) << QVariantMap();
        bus_.send(signal);
        record_.Line(QStringLiteral("activate ") + id);
    }

    void Answer(const QString& id, const QString& trigger) { answers_[id] = trigger; }
    void Delay(uint ms) { delayMs_ = ms; }
    void Refuse(bool refuse) { refuse_ = refuse; }
    [[nodiscard]] bool Refusing() const { return refuse_; }
    void CloseLatest() {
        if (const auto it = sessions_.find(latest_); it != sessions_.end()) {
            it->second->Close();
        }
    }

    // Sends the answer to a call now, or after the delay that was ordered.
    void Reply(const QDBusMessage& call, uint response, const QVariantMap& results) {
        if (delayMs_ == 0) {
            return;
        }
        call.setDelayedReply(true);
        const QDBusMessage reply =
            call.createReply(QVariantList{response, QVariant::fromValue(results)});
        record_.Line(QStringLiteral("delayed ") + call.member());
        QTimer::singleShot(delayMs_, this, [this, reply] { bus_.send(reply); });
    }

    void Change(const QString& id, const QString& trigger) {
        const auto it = sessions_.find(latest_);
        if (it == sessions_.end()) {
            return;
        }
        for (auto& [bound, properties] : it->second->bound) {
            if (bound == id) {
                properties[QStringLiteral("trigger_description")] = trigger;
            }
        }
        QDBusMessage signal =
            QDBusMessage::createSignal(kObject, kImplInterface, QStringLiteral("ShortcutsChanged"));
        signal << QVariant::fromValue(QDBusObjectPath(latest_))
               << QVariant::fromValue(it->second->bound);
        bus_.send(signal);
        record_.Line(QStringLiteral("change ") + id + QLatin1Char(' ') + trigger);
    }

  private:
    void Forget(Session* session) {
        bus_.unregisterObject(session->Path());
        sessions_.erase(session->Path());
    }

    QDBusConnection bus_;
    Record record_;
    std::map<QString, std::unique_ptr<Session>> sessions_;
    QString latest_;
    QMap<QString, QString> answers_;
    uint delayMs_ = 0;
    bool refuse_ = false;
};

class ShortcutsAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
  public:
    explicit ShortcutsAdaptor(Portal* portal) : QDBusAbstractAdaptor(portal), portal_(portal) {}
    uint version() const { return 1; }

  public slots:
    uint CreateSession(const QDBusObjectPath& /*handle*/, const QDBusObjectPath& sessionHandle,
                       const QString& appId, const QVariantMap& /*options*/,
                       const QDBusMessage& message, QVariantMap& results) {
        const uint response = portal_->CreateSession(sessionHandle, appId);
        portal_->Reply(message, response, results);
        return response;
    }
    uint BindShortcuts(const QDBusObjectPath& /*handle*/, const QDBusObjectPath& sessionHandle,
                       const Shortcuts& shortcuts, const QString& /*parentWindow*/,
                       const QVariantMap& /*options*/, const QDBusMessage& message,
                       QVariantMap& results) {
        uint response = portal_->Bind(sessionHandle, shortcuts, results);
        if (response == 0 && portal_->Refusing()) {
            // The user cancelled the desktop's dialog.
            response = 1;
            results.clear();
        }
        portal_->Reply(message, response, results);
        return response;
    }
    uint ListShortcuts(const QDBusObjectPath& /*handle*/, const QDBusObjectPath& sessionHandle,
                       QVariantMap& results) {
        return portal_->List(sessionHandle, results);
    }
  signals:
    void Activated(const QDBusObjectPath& sessionHandle, const QString& shortcutId,
                   qulonglong timestamp, const QVariantMap& options);
    void Deactivated(const QDBusObjectPath& sessionHandle, const QString& shortcutId,
                     qulonglong timestamp, const QVariantMap& options);
    void ShortcutsChanged(const QDBusObjectPath& sessionHandle, const Shortcuts& shortcuts);

  private:
    Portal* portal_;
};

class ControlAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vorlune.TestPortal")
  public:
    explicit ControlAdaptor(Portal* portal) : QDBusAbstractAdaptor(portal), portal_(portal) {}
  public slots:
    void Activate(const QString& id) { portal_->Activate(id); }
    void Answer(const QString& id, const QString& trigger) { portal_->Answer(id, trigger); }
    void Change(const QString& id, const QString& trigger) { portal_->Change(id, trigger); }
    void Delay(uint ms) { portal_->Delay(ms); }
    void Refuse(bool refuse) { portal_->Refuse(refuse); }
    void CloseSession() { portal_->CloseLatest(); }

  private:
    Portal* portal_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fputs("usage: vorlune_test_portal BUS-NAME RECORD-FILE\n", stderr);
        return 2;
    }
    // The adaptor's slots name the type by its short name.
    qRegisterMetaType<Shortcuts>("Shortcuts");
    qDBusRegisterMetaType<QPair<QString, QVariantMap>>();
    qDBusRegisterMetaType<Shortcuts>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    Portal portal(bus, args.at(2));
    new ShortcutsAdaptor(&portal);
    new ControlAdaptor(&portal);
    if (!bus.registerObject(kObject, &portal, QDBusConnection::ExportAdaptors) ||
        !bus.registerService(args.at(1))) {
        std::fputs("vorlune_test_portal: cannot take the bus name\n", stderr);
        return 1;
    }
    return QCoreApplication::exec();
}

#include "TestPortalBackend.moc"
