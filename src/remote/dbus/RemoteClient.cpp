// The `vorlune` command's side of the session bus: one blocking call to the running program.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariantMap>
#include <cstdio>

#include "remote/RemoteCommand.h"
#include "remote/RemoteNames.h"

namespace vorlune {
namespace {

// A pause or a stop answers after its fade; anything much longer means the program hangs.
constexpr int kCallLimitMs = 10000;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

QString SwitchWord(SwitchChange change) {
    switch (change) {
        case SwitchChange::On:
            return QStringLiteral("on");
        case SwitchChange::Off:
            return QStringLiteral("off");
        case SwitchChange::Toggle:
            break;
    }
    return QStringLiteral("toggle");
}

QDBusMessage CallOf(const RemoteRequest& request) {
    const auto call = [](const char* method) {
        return QDBusMessage::createMethodCall(Q(remote::kService), Q(remote::kPath),
                                              Q(remote::kInterface), QString::fromLatin1(method));
    };
    switch (request.verb) {
        case RemoteVerb::Play:
            return call("Play") << request.number;
        case RemoteVerb::Stop:
            return call("Stop");
        case RemoteVerb::Pause:
            return call("Pause");
        case RemoteVerb::Hotkeys:
            return call("SetHotkeys") << SwitchWord(request.change);
        case RemoteVerb::Repeat:
            return call("SetRepeat") << SwitchWord(request.change);
        case RemoteVerb::Volume:
            return call("SetVolume") << request.number;
        case RemoteVerb::Show:
            return call("ShowWindow");
        case RemoteVerb::List:
            return call("ListSlots");
        case RemoteVerb::Status:
            break;
    }
    return call("GetState");
}

QString YesNo(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

void PrintSlots(const QDBusArgument& reply, bool json) {
    QJsonArray entries;
    QString text;
    reply.beginArray();
    while (!reply.atEnd()) {
        int number = 0;
        int page = 0;
        QString name;
        QString hotkey;
        bool fileFound = false;
        reply.beginStructure();
        reply >> number >> page >> name >> hotkey >> fileFound;
        reply.endStructure();
        entries.append(QJsonObject{{QStringLiteral("number"), number},
                                   {QStringLiteral("page"), page},
                                   {QStringLiteral("name"), name},
                                   {QStringLiteral("hotkey"), hotkey},
                                   {QStringLiteral("file"), fileFound}});
        text += QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                    .arg(number)
                    .arg(page)
                    .arg(name, hotkey,
                         fileFound ? QStringLiteral("file found") : QStringLiteral("no file"));
    }
    reply.endArray();
    Print(stdout, json ? QString::fromUtf8(QJsonDocument(entries).toJson(QJsonDocument::Compact)) +
                             QLatin1Char('\n')
                       : text);
}

void PrintState(const QVariantMap& state, bool json) {
    if (json) {
        Print(
            stdout,
            QString::fromUtf8(
                QJsonDocument(QJsonObject::fromVariantMap(state)).toJson(QJsonDocument::Compact)) +
                QLatin1Char('\n'));
        return;
    }
    const int slot = state.value(QStringLiteral("slot")).toInt();
    Print(stdout, QStringLiteral("slot: %1\npaused: %2\nvolume: %3\nhotkeys: %4\nrepeat: %5\n")
                      .arg(slot == 0 ? QStringLiteral("none") : QString::number(slot),
                           YesNo(state.value(QStringLiteral("paused")).toBool()),
                           QString::number(state.value(QStringLiteral("volume")).toInt()),
                           state.value(QStringLiteral("hotkeys")).toBool() ? QStringLiteral("on")
                                                                           : QStringLiteral("off"),
                           state.value(QStringLiteral("repeat")).toBool() ? QStringLiteral("on")
                                                                          : QStringLiteral("off")));
}

bool NotRunning(const QString& error) {
    return error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

}  // namespace

int CallRunningProgram(const RemoteRequest& request) {
    // The bus connection wants an application object; a core one starts no GUI.
    int argc = 1;
    char name[] = "vorlune";
    char* argv[] = {name, nullptr};
    const QCoreApplication core(argc, argv);
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        Print(stderr, QStringLiteral("vorlune: no session bus, so no running Vorlune to tell\n"));
        return kExitNotRunning;
    }
    const QDBusMessage reply = bus.call(CallOf(request), QDBus::Block, kCallLimitMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        if (NotRunning(reply.errorName())) {
            Print(stderr, QStringLiteral("vorlune: Vorlune is not running\n"));
            return kExitNotRunning;
        }
        Print(stderr, QStringLiteral("vorlune: ") + reply.errorMessage() + QLatin1Char('\n'));
        return kExitRefused;
    }
    if (request.verb == RemoteVerb::List || request.verb == RemoteVerb::Status) {
        if (reply.arguments().isEmpty()) {
            Print(stderr, QStringLiteral("vorlune: the program gave an empty answer\n"));
            return kExitRefused;
        }
        const auto answer = reply.arguments().at(0).value<QDBusArgument>();
        if (request.verb == RemoteVerb::List) {
            PrintSlots(answer, request.json);
        } else {
            PrintState(qdbus_cast<QVariantMap>(answer), request.json);
        }
    }
    return kExitDone;
}

}  // namespace vorlune
