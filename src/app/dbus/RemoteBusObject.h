#pragma once

// The objects the session bus's remote control exports. Only app/dbus includes this header.

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QVariantMap>
#include <functional>
#include <string_view>

#include "app/RemoteControl.h"

namespace vorlune {

// A slot on the bus: (number, page, name, hotkey, file found).
struct BusSlot {
    int number = 0;
    int page = 0;
    QString name;
    QString hotkey;
    bool fileFound = false;
};

QDBusArgument& operator<<(QDBusArgument& out, const BusSlot& slot);
const QDBusArgument& operator>>(const QDBusArgument& in, BusSlot& slot);

// The interface io.github.vorlune.Vorlune. A refusal is a D-Bus error with a name and a text.
class RemoteBusObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.vorlune.Vorlune")
  public:
    RemoteBusObject(RemoteActions& actions, const RemoteQueries& queries,
                    std::function<void()> showWindow);

    void Toggle(SwitchChange change, bool hotkeys);
    // Signals the state when it differs from the one signalled last.
    void NoteState();

  public slots:  // NOLINT(readability-redundant-access-specifiers): moc needs the slots apart
    Q_SCRIPTABLE void Play(int slot);
    Q_SCRIPTABLE void Stop();
    // Pauses the sound that plays, or resumes the paused one.
    Q_SCRIPTABLE void Pause();
    // "on", "off" or "toggle".
    Q_SCRIPTABLE void SetHotkeys(const QString& change);
    Q_SCRIPTABLE void SetRepeat(const QString& change);
    Q_SCRIPTABLE void SetVolume(int percent);
    Q_SCRIPTABLE void ShowWindow();
    [[nodiscard]] Q_SCRIPTABLE QList<vorlune::BusSlot> ListSlots() const;
    // slot (0 for none), playing, paused, volume, hotkeys, repeat.
    [[nodiscard]] Q_SCRIPTABLE QVariantMap GetState() const;

  signals:
    // The state as GetState gives it, each time it has changed.
    Q_SCRIPTABLE void StateChanged(const QVariantMap& state);

  private:
    void Switch(const QString& word, bool hotkeys);
    void Refuse(std::string_view name, const QString& text);

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
    FreedesktopApplication(RemoteBusObject& object, std::function<void()> showWindow);

  public slots:  // NOLINT(readability-redundant-access-specifiers): moc needs the slots apart
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& name, const QVariantList& parameter,
                        const QVariantMap& platformData, const QDBusMessage& message);

  private:
    RemoteBusObject& object_;
    std::function<void()> showWindow_;
};

}  // namespace vorlune

Q_DECLARE_METATYPE(vorlune::BusSlot)
