#include "hotkeys/portal/PortalHotkeyBackend.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QList>
#include <QPair>

#include "hotkeys/portal/XdgShortcut.h"

namespace vorlune {
namespace {

using PortalShortcuts = QList<QPair<QString, QVariantMap>>;

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");

constexpr unsigned kResponseSuccess = 0;
// A portal replies to its calls at once (a dialog it shows answers through the Request later).
// The start waits this long for the one question that chooses the backend; a call the program
// does not wait for gives up after the longer limit, and its bind counts as refused.
constexpr int kProbeTimeoutMs = 1000;
constexpr int kCallTimeoutMs = 10000;

void RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<QPair<QString, QVariantMap>>();
        qDBusRegisterMetaType<PortalShortcuts>();
        return true;
    }();
    static_cast<void>(registered);
}

// The path of the object (a Request or a Session) a call with this token will get: the
// caller's unique name without its colon, dots as underscores.
QString HandlePath(const QDBusConnection& bus, const QString& kind, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kObject + QLatin1Char('/') + kind + QLatin1Char('/') + sender + QLatin1Char('/') + token;
}

QString RequestPath(const QDBusConnection& bus, const QString& token) {
    return HandlePath(bus, QStringLiteral("request"), token);
}

// Portals give the session handle as a string or as an object path.
QString PathOf(const QVariant& value) {
    if (value.userType() == qMetaTypeId<QDBusObjectPath>()) {
        return value.value<QDBusObjectPath>().path();
    }
    return value.toString();
}

PortalShortcuts ShortcutsOf(const QVariant& value) {
    PortalShortcuts shortcuts;
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        value.value<QDBusArgument>() >> shortcuts;
    } else if (value.canConvert<PortalShortcuts>()) {
        shortcuts = value.value<PortalShortcuts>();
    }
    return shortcuts;
}

std::vector<BoundTrigger> TriggersOf(const PortalShortcuts& shortcuts) {
    std::vector<BoundTrigger> triggers;
    for (const auto& [shortcutId, properties] : shortcuts) {
        if (const std::optional<std::int32_t> id =
                HotkeyIdOfPortalShortcut(shortcutId.toStdString())) {
            triggers.push_back(
                {*id,
                 properties.value(QStringLiteral("trigger_description")).toString().toStdString()});
        }
    }
    return triggers;
}

// Tells the portal the program's app id, as portals from 1.20 on want of a program outside a
// sandbox before its first call; older ones do not know the call, which is harmless.
void RegisterAppId(const QDBusConnection& bus) {
    QDBusMessage registration = QDBusMessage::createMethodCall(
        kService, kObject, QStringLiteral("org.freedesktop.host.portal.Registry"),
        QStringLiteral("Register"));
    registration << QString::fromUtf8(PortalHotkeyBackend::kAppId) << QVariantMap();
    // Not waited for: the portal takes the calls of one connection in the order they were sent.
    bus.asyncCall(registration, kCallTimeoutMs);
}

}  // namespace

bool PortalHotkeyBackend::Offered(const QDBusConnection& bus) {
    if (!bus.isConnected()) {
        return false;
    }
    RegisterAppId(bus);
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kObject, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kShortcuts << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kProbeTimeoutMs);
    // A portal that is there but busy (starting at login) is taken as it is: its answers come
    // later, as every answer of it does. One without global shortcuts says so at once.
    return reply.type() == QDBusMessage::ReplyMessage ||
           (bus.interface()->isServiceRegistered(kService) &&
            QDBusError(reply).type() == QDBusError::NoReply);
}

PortalHotkeyBackend::PortalHotkeyBackend(QDBusConnection bus) : bus_(std::move(bus)) {
    RegisterTypes();
    bus_.connect(kService, kObject, kShortcuts, QStringLiteral("Activated"), this,
                 SLOT(OnActivated(QDBusMessage)));
    bus_.connect(kService, kObject, kShortcuts, QStringLiteral("ShortcutsChanged"), this,
                 SLOT(OnShortcutsChanged(QDBusMessage)));
    watcher_ =
        new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            &PortalHotkeyBackend::OnPortalGone);
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this,
            &PortalHotkeyBackend::OnPortalBack);
}

PortalHotkeyBackend::~PortalHotkeyBackend() {
    fired_ = nullptr;
    bound_ = nullptr;
    ForgetRequests();
    CloseSession(session_);
}

bool PortalHotkeyBackend::Grab(std::int32_t id, HotkeyCombination combination) {
    static_cast<void>(id);
    static_cast<void>(combination);
    return false;
}

void PortalHotkeyBackend::BindSet(const std::vector<HotkeyBinding>& set) {
    waiting_ = set;
    BindNext();
}

void PortalHotkeyBackend::BindNext() {
    if (busy_ || !waiting_) {
        return;
    }
    std::vector<HotkeyBinding> set = std::move(*waiting_);
    waiting_.reset();
    CloseSession(session_);
    session_.clear();
    sessionSet_ = set;
    if (set.empty()) {
        Report(std::vector<BoundTrigger>{});
        return;
    }
    busy_ = true;
    CreateSession(++bind_, set);
}

void PortalHotkeyBackend::CloseSession(const QString& session) {
    if (session.isEmpty()) {
        return;
    }
    bus_.disconnect(kService, session, kSession, QStringLiteral("Closed"), this,
                    SLOT(OnSessionClosed(QDBusMessage)));
    // Not waited for: the next session has a path of its own.
    bus_.asyncCall(
        QDBusMessage::createMethodCall(kService, session, kSession, QStringLiteral("Close")),
        kCallTimeoutMs);
}

void PortalHotkeyBackend::CreateSession(std::uint64_t bind, const std::vector<HotkeyBinding>& set) {
    const QString token = QStringLiteral("vorlune%1").arg(++requests_);
    // A session token of its own for every session (the unique bus name keeps it apart from
    // other runs).
    const QString sessionToken = QStringLiteral("vorlune_session%1").arg(bind);
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), sessionToken}};
    // Listening before the call, as for a request: the desktop may close the session before a
    // match rule added after its answer reaches the bus.
    const QString expected = HandlePath(bus_, QStringLiteral("session"), sessionToken);
    bus_.connect(kService, expected, kSession, QStringLiteral("Closed"), this,
                 SLOT(OnSessionClosed(QDBusMessage)));
    CallWithRequest(
        QStringLiteral("CreateSession"), {options}, token,
        [this, bind, set, expected](unsigned response, const QVariantMap& results) {
            const QString session = PathOf(results.value(QStringLiteral("session_handle")));
            if (session != expected) {
                bus_.disconnect(kService, expected, kSession, QStringLiteral("Closed"), this,
                                SLOT(OnSessionClosed(QDBusMessage)));
            }
            if (!Current(bind)) {
                // Given up on, or replaced: a session opened this late holds nothing of ours.
                if (response == kResponseSuccess) {
                    CloseSession(session);
                }
                return;
            }
            if (response != kResponseSuccess || session.isEmpty()) {
                Finish(bind, std::nullopt);
                return;
            }
            session_ = session;
            if (session != expected) {
                bus_.connect(kService, session_, kSession, QStringLiteral("Closed"), this,
                             SLOT(OnSessionClosed(QDBusMessage)));
            }
            BindShortcuts(bind, set);
        },
        [this, bind, expected] {
            bus_.disconnect(kService, expected, kSession, QStringLiteral("Closed"), this,
                            SLOT(OnSessionClosed(QDBusMessage)));
            Finish(bind, std::nullopt);
        });
}

void PortalHotkeyBackend::BindShortcuts(std::uint64_t bind, const std::vector<HotkeyBinding>& set) {
    PortalShortcuts shortcuts;
    for (const HotkeyBinding& binding : set) {
        QVariantMap properties{
            {QStringLiteral("description"), QString::fromStdString(binding.description)}};
        if (const std::optional<std::string> trigger = XdgTrigger(binding.combination)) {
            properties.insert(QStringLiteral("preferred_trigger"),
                              QString::fromStdString(*trigger));
        }
        shortcuts.append({QString::fromStdString(PortalShortcutId(binding.id)), properties});
    }
    const QString token = QStringLiteral("vorlune%1").arg(++requests_);
    CallWithRequest(
        QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), QString(),
         QVariantMap{{QStringLiteral("handle_token"), token}}},
        token,
        [this, bind](unsigned response, const QVariantMap& results) {
            if (response != kResponseSuccess) {
                Finish(bind, std::nullopt);
                return;
            }
            Finish(bind, TriggersOf(ShortcutsOf(results.value(QStringLiteral("shortcuts")))));
        },
        [this, bind] { Finish(bind, std::nullopt); });
}

void PortalHotkeyBackend::Finish(std::uint64_t bind,
                                 const std::optional<std::vector<BoundTrigger>>& triggers) {
    if (!Current(bind)) {
        return;
    }
    busy_ = false;
    // The answer to a set that a newer one replaces already says nothing about what is held.
    if (!waiting_) {
        Report(triggers);
    }
    BindNext();
}

void PortalHotkeyBackend::CallWithRequest(const QString& method, const QVariantList& arguments,
                                          const QString& handleToken, ResponseHandler handler,
                                          std::function<void()> failed) {
    // Listening before the call: the answer may come before the call's own reply. It stays
    // heard when the call fails, so that a session opened after all is closed.
    const QString path = RequestPath(bus_, handleToken);
    bus_.connect(kService, path, kRequest, QStringLiteral("Response"), this,
                 SLOT(OnResponse(QDBusMessage)));
    pending_[path] = std::move(handler);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObject, kShortcuts, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [failed = std::move(failed)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (finished->isError()) {
                    failed();
                }
            });
}

void PortalHotkeyBackend::ForgetRequests() {
    for (const auto& [path, handler] : pending_) {
        bus_.disconnect(kService, path, kRequest, QStringLiteral("Response"), this,
                        SLOT(OnResponse(QDBusMessage)));
    }
    pending_.clear();
}

void PortalHotkeyBackend::OnResponse(const QDBusMessage& message) {
    const auto it = pending_.find(message.path());
    const QVariantList arguments = message.arguments();
    if (it == pending_.end() || arguments.size() < 2) {
        return;
    }
    const ResponseHandler handler = std::move(it->second);
    pending_.erase(it);
    bus_.disconnect(kService, message.path(), kRequest, QStringLiteral("Response"), this,
                    SLOT(OnResponse(QDBusMessage)));
    QVariantMap results;
    if (arguments.at(1).userType() == qMetaTypeId<QDBusArgument>()) {
        arguments.at(1).value<QDBusArgument>() >> results;
    } else {
        results = arguments.at(1).toMap();
    }
    handler(arguments.at(0).toUInt(), results);
}

void PortalHotkeyBackend::OnActivated(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || PathOf(arguments.at(0)) != session_ || !fired_) {
        return;
    }
    if (const std::optional<std::int32_t> id =
            HotkeyIdOfPortalShortcut(arguments.at(1).toString().toStdString())) {
        fired_(*id);
    }
}

void PortalHotkeyBackend::OnShortcutsChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || PathOf(arguments.at(0)) != session_ || session_.isEmpty()) {
        return;
    }
    Report(TriggersOf(ShortcutsOf(arguments.at(1))));
}

void PortalHotkeyBackend::OnSessionClosed(const QDBusMessage& message) {
    if (message.path() != session_) {
        return;
    }
    session_.clear();
    Report(std::nullopt);
}

void PortalHotkeyBackend::OnPortalGone() {
    // Its requests and its session went with it; what it answers now comes from a new one.
    ForgetRequests();
    const bool hadSession = !session_.isEmpty() || busy_;
    session_.clear();
    busy_ = false;
    if (hadSession) {
        Report(std::nullopt);
    }
}

void PortalHotkeyBackend::OnPortalBack() {
    // A portal started anew knows the program's app id no more.
    RegisterAppId(bus_);
    // The set that waited while a bind was under way goes first; else the last one again.
    if (!waiting_ && !busy_ && session_.isEmpty() && !sessionSet_.empty()) {
        waiting_ = sessionSet_;
    }
    BindNext();
}

void PortalHotkeyBackend::Report(const std::optional<std::vector<BoundTrigger>>& triggers) {
    if (bound_) {
        // A copy: the handler may bind a new set.
        const BoundHandler handler = bound_;
        handler(triggers);
    }
}

}  // namespace vorlune
