// Remote control on the session bus: the program's own interface and the desktop's
// org.freedesktop.Application, on one object named after the desktop entry. Every call runs on
// the user-interface thread, as a click does; none ever opens a message box.
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QObject>
#include <QVariantMap>

#include "app/RemoteControl.h"
#include "remote/RemoteNames.h"

namespace vorlune {

// A slot on the bus: (number, page, name, hotkey, file found).
struct BusSlot {
    int number = 0;
    int page = 0;
    QString name;
    QString hotkey;
    bool fileFound = false;
};

}  // namespace vorlune

Q_DECLARE_METATYPE(vorlune::BusSlot)

namespace vorlune {

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

// The interface io.github.vorlune.Vorlune. A refusal is a D-Bus error with a name and a text.
class RemoteBusObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.vorlune.Vorlune")
  public:
    RemoteBusObject(RemoteActions& actions, const RemoteQueries& queries,
                    std::function<void()> showWindow)
        : actions_(actions),
          queries_(queries),
          showWindow_(std::move(showWindow)),
          last_(queries.State()) {}

    void Toggle(SwitchChange change, bool hotkeys) {
        if (hotkeys) {
            actions_.SetHotkeys(change);
        } else {
            actions_.SetRepeat(change);
        }
    }

    void NoteState() {
        const RemoteState now = queries_.State();
        if (now != last_) {
            last_ = now;
            emit StateChanged(MapOf(now));
        }
    }

  public slots:
    Q_SCRIPTABLE void Play(int slot) {
        if (slot < 1 || slot > kSlotCount) {
            Refuse(remote::kNoSuchSlot, QStringLiteral("no such slot: %1 (slots are 1 to %2)")
                                            .arg(slot)
                                            .arg(kSlotCount));
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
                       QStringLiteral("the file of slot %1 is missing or cannot be played")
                           .arg(slot));
                return;
        }
    }
    Q_SCRIPTABLE void Stop() { actions_.StopSound(); }
    // Pauses the sound that plays, or resumes the paused one.
    Q_SCRIPTABLE void Pause() { actions_.PauseOrResume(); }
    // "on", "off" or "toggle".
    Q_SCRIPTABLE void SetHotkeys(const QString& change) { Switch(change, true); }
    Q_SCRIPTABLE void SetRepeat(const QString& change) { Switch(change, false); }
    Q_SCRIPTABLE void SetVolume(int percent) {
        if (percent < 0 || percent > 100) {
            Refuse(remote::kBadValue,
                   QStringLiteral("the volume is a percent from 0 to 100, not %1").arg(percent));
            return;
        }
        actions_.SetVolume(percent);
    }
    Q_SCRIPTABLE void ShowWindow() { showWindow_(); }
    Q_SCRIPTABLE QList<vorlune::BusSlot> ListSlots() const {
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
    // slot (0 for none), playing, paused, volume, hotkeys, repeat.
    Q_SCRIPTABLE QVariantMap GetState() const { return MapOf(queries_.State()); }

  signals:
    // The state as GetState gives it, each time it has changed.
    Q_SCRIPTABLE void StateChanged(const QVariantMap& state);

  private:
    void Switch(const QString& word, bool hotkeys) {
        const std::optional<SwitchChange> change = ChangeOf(word);
        if (!change) {
            Refuse(remote::kBadValue,
                   QStringLiteral("on, off or toggle, not \"%1\"").arg(word.left(40)));
            return;
        }
        Toggle(*change, hotkeys);
    }

    void Refuse(std::string_view name, const QString& text) {
        if (calledFromDBus()) {
            sendErrorReply(Q(name), text);
        }
    }

    RemoteActions& actions_;
    const RemoteQueries& queries_;
    std::function<void()> showWindow_;
    RemoteState last_;
};

// org.freedesktop.Application, as launchers and the desktop entry's actions use it.
class FreedesktopApplication : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
  public:
    explicit FreedesktopApplication(RemoteBusObject& object, std::function<void()> showWindow)
        : QDBusAbstractAdaptor(&object), object_(object), showWindow_(std::move(showWindow)) {}

  public slots:
    void Activate(const QVariantMap& /*platformData*/) { showWindow_(); }
    void Open(const QStringList& /*uris*/, const QVariantMap& /*platformData*/) { showWindow_(); }
    void ActivateAction(const QString& name, const QVariantList& /*parameter*/,
                        const QVariantMap& /*platformData*/, const QDBusMessage& message) {
        if (name == Q(remote::kActionStop)) {
            object_.Stop();
        } else if (name == Q(remote::kActionPause)) {
            object_.Pause();
        } else if (name == Q(remote::kActionHotkeys)) {
            object_.Toggle(SwitchChange::Toggle, true);
        } else {
            message.setDelayedReply(true);
            QDBusConnection::sessionBus().send(message.createErrorReply(
                QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                QStringLiteral("no such action: \"%1\"").arg(name.left(40))));
        }
    }

  private:
    RemoteBusObject& object_;
    std::function<void()> showWindow_;
};

class SessionBusRemote final : public RemoteEndpoint {
  public:
    void Serve(RemoteActions& actions, const RemoteQueries& queries,
               std::function<void()> showWindow) override {
        qDBusRegisterMetaType<BusSlot>();
        qDBusRegisterMetaType<QList<BusSlot>>();
        object_ = std::make_unique<RemoteBusObject>(actions, queries, showWindow);
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
        bus.send(QDBusMessage::createMethodCall(
                          QStringLiteral("org.freedesktop.DBus"),
                          QStringLiteral("/org/freedesktop/DBus"),
                          QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"))
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

    ~SessionBusRemote() override { Close(); }

  private:
    std::unique_ptr<RemoteBusObject> object_;
};

}  // namespace

std::unique_ptr<RemoteEndpoint> CreateRemoteEndpoint() {
    return std::make_unique<SessionBusRemote>();
}

}  // namespace vorlune

#include "SessionBusRemote.moc"
