// Remote control on the session bus: the program's own interface and the desktop's
// org.freedesktop.Application, on one object named after the desktop entry. Every call runs on
// the user-interface thread, as a click does; none ever opens a message box.
#include <QDBusConnection>
#include <QDBusMetaType>

#include "app/dbus/RemoteBusObject.h"
#include "remote/RemoteNames.h"

namespace vorlune {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariantMap MapOf(const RemoteState& state) {
    return {{QStringLiteral("slot"), state.slot},
            {QStringLiteral("playing"), state.slot != 0 && !state.paused},
            {QStringLiteral("paused"), state.paused},
            {QStringLiteral("volume"), state.volume},
            {QStringLiteral("hotkeys"), state.hotkeys},
            {QStringLiteral("repeat"), state.repeat}};
}

std::optional<SwitchChange> ChangeOf(const QString& word) {
    if (word == QLatin1String("on")) {
        return SwitchChange::On;
    }
    if (word == QLatin1String("off")) {
        return SwitchChange::Off;
    }
    if (word == QLatin1String("toggle")) {
        return SwitchChange::Toggle;
    }
    return std::nullopt;
}

}  // namespace

QDBusArgument& operator<<(QDBusArgument& out, const BusSlot& slot) {
    out.beginStructure();
    out << slot.number << slot.page << slot.name << slot.hotkey << slot.fileFound;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, BusSlot& slot) {
    in.beginStructure();
    in >> slot.number >> slot.page >> slot.name >> slot.hotkey >> slot.fileFound;
    in.endStructure();
    return in;
}

RemoteBusObject::RemoteBusObject(RemoteActions& actions, const RemoteQueries& queries,
                                 std::function<void()> showWindow)
    : actions_(actions),
      queries_(queries),
      showWindow_(std::move(showWindow)),
      last_(queries.State()) {}

void RemoteBusObject::Toggle(SwitchChange change, bool hotkeys) {
    if (hotkeys) {
        actions_.SetHotkeys(change);
    } else {
        actions_.SetRepeat(change);
    }
}

void RemoteBusObject::NoteState() {
    const RemoteState now = queries_.State();
    if (now != last_) {
        last_ = now;
        emit StateChanged(MapOf(now));
    }
}

void RemoteBusObject::Play(int slot) {
    if (slot < 1 || slot > kSlotCount) {
        Refuse(remote::kNoSuchSlot,
               QStringLiteral("no such slot: %1 (slots are 1 to %2)").arg(slot).arg(kSlotCount));
        return;
    }
    switch (actions_.PlaySlotQuietly(slot)) {
        case TriggerOutcome::Played:
            return;
        case TriggerOutcome::EmptySlot:
            Refuse(remote::kEmptySlot, QStringLiteral("slot %1 is empty").arg(slot));
            return;
        case TriggerOutcome::NoOutput:
            Refuse(remote::kNoOutput,
                   QStringLiteral("no output device to play slot %1 on").arg(slot));
            return;
        case TriggerOutcome::MissingFile:
            Refuse(remote::kMissingFile,
                   QStringLiteral("the file of slot %1 is missing or cannot be played: %2")
                       .arg(slot)
                       .arg(QString::fromStdString(queries_.SlotFile(slot))));
            return;
    }
}

void RemoteBusObject::Stop() {
    actions_.StopSound();
}

void RemoteBusObject::Pause() {
    actions_.PauseOrResume();
}

void RemoteBusObject::SetHotkeys(const QString& change) {
    Switch(change, true);
}

void RemoteBusObject::SetRepeat(const QString& change) {
    Switch(change, false);
}

void RemoteBusObject::SetVolume(int percent) {
    if (percent < 0 || percent > 100) {
        Refuse(remote::kBadValue,
               QStringLiteral("the volume is a percent from 0 to 100, not %1").arg(percent));
        return;
    }
    actions_.SetVolume(percent);
}

void RemoteBusObject::ShowWindow() {
    showWindow_();
}

QList<BusSlot> RemoteBusObject::ListSlots() const {
    QList<BusSlot> list;
    for (const RemoteSlot& slot : queries_.Slots()) {
        list.append({.number = slot.number,
                     .page = slot.page,
                     .name = QString::fromStdString(slot.name),
                     .hotkey = QString::fromStdString(slot.hotkey),
                     .fileFound = slot.fileFound});
    }
    return list;
}

QVariantMap RemoteBusObject::GetState() const {
    return MapOf(queries_.State());
}

void RemoteBusObject::Switch(const QString& word, bool hotkeys) {
    const std::optional<SwitchChange> change = ChangeOf(word);
    if (!change) {
        Refuse(remote::kBadValue,
               QStringLiteral("on, off or toggle, not \"%1\"").arg(word.left(40)));
        return;
    }
    Toggle(*change, hotkeys);
}

void RemoteBusObject::Refuse(std::string_view name, const QString& text) {
    if (calledFromDBus()) {
        sendErrorReply(Q(name), text);
    }
}

FreedesktopApplication::FreedesktopApplication(RemoteBusObject& object,
                                               std::function<void()> showWindow)
    : QDBusAbstractAdaptor(&object), object_(object), showWindow_(std::move(showWindow)) {}

void FreedesktopApplication::Activate(const QVariantMap& /*platformData*/) {
    showWindow_();
}

void FreedesktopApplication::Open(const QStringList& /*uris*/,
                                  const QVariantMap& /*platformData*/) {
    showWindow_();
}

void FreedesktopApplication::ActivateAction(const QString& name, const QVariantList& /*parameter*/,
                                            const QVariantMap& /*platformData*/,
                                            const QDBusMessage& message) {
    if (name == Q(remote::kActionStop)) {
        object_.Stop();
    } else if (name == Q(remote::kActionPause)) {
        object_.Pause();
    } else if (name == Q(remote::kActionHotkeys)) {
        object_.Toggle(SwitchChange::Toggle, true);
    } else {
        message.setDelayedReply(true);
        QDBusConnection::sessionBus().send(
            message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                                     QStringLiteral("no such action: \"%1\"").arg(name.left(40))));
    }
}

namespace {

class SessionBusRemote final : public RemoteEndpoint {
  public:
    SessionBusRemote() = default;
    SessionBusRemote(const SessionBusRemote&) = delete;
    SessionBusRemote& operator=(const SessionBusRemote&) = delete;
    SessionBusRemote(SessionBusRemote&&) = delete;
    SessionBusRemote& operator=(SessionBusRemote&&) = delete;
    ~SessionBusRemote() override { Close(); }

    void Serve(RemoteActions& actions, const RemoteQueries& queries,
               std::function<void()> showWindow) override {
        qDBusRegisterMetaType<BusSlot>();
        qDBusRegisterMetaType<QList<BusSlot>>();
        object_ = std::make_unique<RemoteBusObject>(actions, queries, showWindow);
        // Owned by the object, as Qt's adaptors are.
        new FreedesktopApplication(*object_, std::move(showWindow));
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            return;
        }
        bus.registerObject(Q(remote::kPath), object_.get(),
                           QDBusConnection::ExportAdaptors |
                               QDBusConnection::ExportScriptableSlots |
                               QDBusConnection::ExportScriptableSignals);
        // Asked without waiting for the answer: the window never waits on the bus. A name held
        // already (another user session's copy on the same bus) leaves this copy unreachable.
        constexpr uint kDoNotQueue = 4;
        bus.send(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                QStringLiteral("/org/freedesktop/DBus"),
                                                QStringLiteral("org.freedesktop.DBus"),
                                                QStringLiteral("RequestName"))
                 << Q(remote::kService) << kDoNotQueue);
    }

    void StateMayHaveChanged() override {
        if (object_) {
            object_->NoteState();
        }
    }

    void Close() override {
        if (object_) {
            QDBusConnection::sessionBus().unregisterObject(Q(remote::kPath));
            object_.reset();
        }
    }

  private:
    std::unique_ptr<RemoteBusObject> object_;
};

}  // namespace

std::unique_ptr<RemoteEndpoint> CreateRemoteEndpoint() {
    return std::make_unique<SessionBusRemote>();
}

}  // namespace vorlune
