#include "hotkeys/portal/PortalHotkeyBackend.h"

#include <QDBusArgument>
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
// The same token in every session: desktops that remember shortcuts per session token find
// the ones of the last run.
const QString kSessionToken = QStringLiteral("vorlune");

constexpr unsigned kResponseSuccess = 0;
// A portal answers its calls at once (a dialog it shows answers through the Request later); a
// portal that does not is taken as none rather than a frozen window.
constexpr int kCallTimeoutMs = 5000;

void RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<QPair<QString, QVariantMap>>();
        qDBusRegisterMetaType<PortalShortcuts>();
        return true;
    }();
    static_cast<void>(registered);
}

// The path of the Request object a call with this token will get: the caller's unique name
// without its colon, dots as underscores.
QString RequestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kObject + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
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
    bus.call(registration, QDBus::Block, kCallTimeoutMs);
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
    const QDBusMessage reply = bus.call(get, QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
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
    CloseSession();
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
    CloseSession();
    sessionSet_ = set;
    if (set.empty()) {
        Report(std::vector<BoundTrigger>{});
        return;
    }
    busy_ = true;
    CreateSession(set);
}

void PortalHotkeyBackend::CloseSession() {
    if (session_.isEmpty()) {
        return;
    }
    bus_.disconnect(kService, session_, kSession, QStringLiteral("Closed"), this,
                    SLOT(OnSessionClosed(QDBusMessage)));
    // Waited for: the next session takes the same path.
    bus_.call(QDBusMessage::createMethodCall(kService, session_, kSession, QStringLiteral("Close")),
              QDBus::Block, kCallTimeoutMs);
    session_.clear();
}

void PortalHotkeyBackend::CreateSession(const std::vector<HotkeyBinding>& set) {
    const QString token = QStringLiteral("vorlune%1").arg(++requests_);
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), kSessionToken}};
    const bool called = CallWithRequest(
        QStringLiteral("CreateSession"), {options}, token,
        [this, set](unsigned response, const QVariantMap& results) {
            const QString session = PathOf(results.value(QStringLiteral("session_handle")));
            if (response != kResponseSuccess || session.isEmpty()) {
                Finish(std::nullopt);
                return;
            }
            session_ = session;
            bus_.connect(kService, session_, kSession, QStringLiteral("Closed"), this,
                         SLOT(OnSessionClosed(QDBusMessage)));
            BindShortcuts(set);
        });
    if (!called) {
        Finish(std::nullopt);
    }
}

void PortalHotkeyBackend::BindShortcuts(const std::vector<HotkeyBinding>& set) {
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
    const bool called = CallWithRequest(
        QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), QString(),
         QVariantMap{{QStringLiteral("handle_token"), token}}},
        token, [this](unsigned response, const QVariantMap& results) {
            if (response != kResponseSuccess) {
                Finish(std::nullopt);
                return;
            }
            Finish(TriggersOf(ShortcutsOf(results.value(QStringLiteral("shortcuts")))));
        });
    if (!called) {
        Finish(std::nullopt);
    }
}

void PortalHotkeyBackend::Finish(const std::optional<std::vector<BoundTrigger>>& triggers) {
    busy_ = false;
    // The answer to a set that a newer one replaces already says nothing about what is held.
    if (!waiting_) {
        Report(triggers);
    }
    BindNext();
}

bool PortalHotkeyBackend::CallWithRequest(const QString& method, const QVariantList& arguments,
                                          const QString& handleToken, ResponseHandler handler) {
    // Listening before the call: the answer may come before the call's own reply.
    const QString path = RequestPath(bus_, handleToken);
    bus_.connect(kService, path, kRequest, QStringLiteral("Response"), this,
                 SLOT(OnResponse(QDBusMessage)));
    pending_[path] = std::move(handler);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObject, kShortcuts, method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        pending_.erase(path);
        bus_.disconnect(kService, path, kRequest, QStringLiteral("Response"), this,
                        SLOT(OnResponse(QDBusMessage)));
        return false;
    }
    return true;
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
    pending_.clear();
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
    if (session_.isEmpty() && !busy_ && !waiting_ && !sessionSet_.empty()) {
        BindSet(sessionSet_);
    }
}

void PortalHotkeyBackend::Report(const std::optional<std::vector<BoundTrigger>>& triggers) {
    if (bound_) {
        // A copy: the handler may bind a new set.
        const BoundHandler handler = bound_;
        handler(triggers);
    }
}

}  // namespace vorlune
