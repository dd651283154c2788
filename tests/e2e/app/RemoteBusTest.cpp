// The program's end of remote control on a real, private session bus (a dbus-daemon of the
// test's own), driven by the `vorlune` command and by gdbus as other programs would, with the
// commands and the state behind it recorded instead of a window and a player.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <chrono>
#include <string>
#include <vector>

#include "RecordedRemote.h"
#include "SessionBus.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "app/RemoteControl.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;

struct Ran {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a command line (words apart by spaces) while this program keeps answering on the bus.
Ran RunAnswering(const QString& commandLine) {
    QStringList words = commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QProcess process;
    process.start(words.takeFirst(), words);
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (!process.waitForFinished(5) && std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

Ran Vorlune(const QString& arguments) {
    return RunAnswering(QStringLiteral(VORLUNE_E2E_CLIENT " ") + arguments);
}

// gdbus on the program's object: "call -m <method> <arguments>" or "introspect".
Ran Gdbus(const QString& verb, const QString& rest = {}) {
    return RunAnswering(QStringLiteral("gdbus %1 --session -d io.github.vorlune.Vorlune -o "
                                       "/io/github/vorlune/Vorlune %2")
                            .arg(verb, rest));
}

TEST(RemoteBusE2e, CallsReachTheCommandsRefusalsAreNamedErrorsAndChangesAreSignalled) {
    test::TempDir dir;
    test::SessionBus bus(dir.Path());
    ASSERT_TRUE(bus.Start());
    int argc = 1;
    char name[] = "remote_bus_e2e";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    RecordedActions actions;
    SetQueries queries;
    queries.list = {
        {.number = 1, .page = 1, .name = "掌声 \"a\\b\"", .hotkey = "Ctrl+F1键", .fileFound = true},
        {.number = 2, .page = 1, .name = "", .hotkey = "", .fileFound = false}};
    int shown = 0;
    const std::unique_ptr<RemoteEndpoint> endpoint = CreateRemoteEndpoint();
    endpoint->Serve(actions, queries, [&shown] { ++shown; });
    ASSERT_TRUE(test::WaitFor(
        [&] {
            QCoreApplication::processEvents();
            return bus.HasOwner("io.github.vorlune.Vorlune");
        },
        5s));

    // Introspectable: both interfaces with their methods and the signal.
    const Ran introspection = Gdbus(QStringLiteral("introspect"));
    for (const char* part :
         {"interface io.github.vorlune.Vorlune", "Play(in  i slot)", "ListSlots(out a(iissb)",
          "GetState(out a{sv}", "StateChanged(", "SetVolume(in  i percent)",
          "interface org.freedesktop.Application", "ActivateAction(in  s name"}) {
        EXPECT_TRUE(introspection.out.contains(QString::fromUtf8(part)))
            << part << "\n"
            << introspection.out.toStdString();
    }

    // The command's verbs reach the commands with their values.
    EXPECT_EQ(Vorlune(QStringLiteral("play 7")).exitCode, 0);
    EXPECT_EQ(Vorlune(QStringLiteral("hotkeys off")).exitCode, 0);
    EXPECT_EQ(Vorlune(QStringLiteral("repeat toggle")).exitCode, 0);
    EXPECT_EQ(Vorlune(QStringLiteral("volume 60")).exitCode, 0);
    EXPECT_EQ(Vorlune(QStringLiteral("stop")).exitCode, 0);
    EXPECT_EQ(Vorlune(QStringLiteral("pause")).exitCode, 0);
    EXPECT_EQ(Vorlune(QStringLiteral("show")).exitCode, 0);
    EXPECT_EQ(actions.hotkeys, std::vector{SwitchChange::Off});
    EXPECT_EQ(actions.repeat, std::vector{SwitchChange::Toggle});
    EXPECT_EQ(actions.volume, std::vector{60});
    EXPECT_EQ(actions.stops, 1);
    EXPECT_EQ(actions.pauses, 1);
    EXPECT_EQ(shown, 1);

    // A refused play is exit 4 with the reason; on the bus a named error.
    const Ran empty = Vorlune(QStringLiteral("play 8"));
    EXPECT_EQ(empty.exitCode, 4);
    EXPECT_TRUE(empty.err.startsWith(QStringLiteral("vorlune: slot 8 is empty\n")))
        << empty.err.toStdString();
    EXPECT_TRUE(Vorlune(QStringLiteral("play 9"))
                    .err.contains(QStringLiteral("missing or cannot be played: /sounds/9.wav")));
    EXPECT_TRUE(Vorlune(QStringLiteral("play 10")).err.contains(QStringLiteral("no output")));
    EXPECT_EQ(actions.played, (std::vector{7, 8, 9, 10}));
    for (const auto& [call, error] : {std::pair{"Play 210", "NoSuchSlot"},
                                      {"Play 8", "EmptySlot"},
                                      {"SetVolume 101", "BadValue"},
                                      {"SetHotkeys maybe", "BadValue"}}) {
        EXPECT_TRUE(Gdbus(QStringLiteral("call"),
                          QStringLiteral("-m io.github.vorlune.Vorlune.") + QLatin1String(call))
                        .err.contains(QStringLiteral("io.github.vorlune.Vorlune.Error.") +
                                      QLatin1String(error)))
            << call;
    }
    EXPECT_EQ(actions.played.size(), 5U) << "210 never reaches the commands";
    EXPECT_EQ(actions.volume.size(), 1U);

    // The desktop's actions.
    const auto action = [](const char* name) {
        return Gdbus(QStringLiteral("call"),
                     QStringLiteral("-m org.freedesktop.Application.ActivateAction %1 [] {}")
                         .arg(QLatin1String(name)))
            .exitCode;
    };
    EXPECT_EQ(action("stop"), 0);
    EXPECT_EQ(actions.stops, 2);
    EXPECT_EQ(action("hotkeys"), 0);
    EXPECT_EQ(actions.hotkeys.back(), SwitchChange::Toggle);
    EXPECT_NE(action("dance"), 0);

    // The queries, as text and as JSON.
    const Ran list = Vorlune(QStringLiteral("list --json"));
    EXPECT_EQ(list.out.trimmed(),
              QStringLiteral(R"([{"file":true,"hotkey":"Ctrl+F1键","name":"掌声 \"a\\b\"",)"
                             R"("number":1,"page":1},)"
                             R"({"file":false,"hotkey":"","name":"","number":2,"page":1}])"));
    queries.state = {.slot = 7, .paused = true, .volume = 60, .hotkeys = false, .repeat = true};
    EXPECT_EQ(Vorlune(QStringLiteral("status")).out,
              QStringLiteral("slot: 7\npaused: yes\nvolume: 60\nhotkeys: off\nrepeat: on\n"));
    EXPECT_EQ(Vorlune(QStringLiteral("status --json")).out,
              QStringLiteral(R"({"hotkeys":false,"paused":true,"playing":false,"repeat":true,)"
                             R"("slot":7,"volume":60})"
                             "\n"));

    // Another client of the bus hears each change once, and nothing when nothing changed.
    QProcess monitor;
    monitor.start(QStringLiteral("gdbus"),
                  {QStringLiteral("monitor"), QStringLiteral("--session"), QStringLiteral("--dest"),
                   QStringLiteral("io.github.vorlune.Vorlune")});
    QString heard;
    const auto pump = [&](std::chrono::milliseconds time) {
        test::WaitFor(
            [&] {
                QCoreApplication::processEvents();
                heard += QString::fromUtf8(monitor.readAllStandardOutput());
                return false;
            },
            time);
    };
    pump(700ms);
    endpoint->StateMayHaveChanged();
    pump(500ms);
    endpoint->StateMayHaveChanged();
    pump(500ms);
    monitor.kill();
    monitor.waitForFinished();
    EXPECT_EQ(heard.count(QStringLiteral("io.github.vorlune.Vorlune.StateChanged")), 1)
        << heard.toStdString();
    EXPECT_TRUE(heard.contains(QStringLiteral("'slot': <7>"))) << heard.toStdString();
    EXPECT_TRUE(heard.contains(QStringLiteral("'paused': <true>")));

    // Closed, it takes no more calls.
    endpoint->Close();
    EXPECT_NE(Vorlune(QStringLiteral("stop")).exitCode, 0);
    EXPECT_EQ(actions.stops, 2);
}

}  // namespace
}  // namespace vorlune
