// The program's portal backend against Debian's real xdg-desktop-portal frontend on a private
// session bus, with the test backend of the desktop side behind it: the frontend routes the
// program's sessions and binds to that backend, and its presses and changes back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "DesktopPortal.h"
#include "SessionBus.h"
#include "TempDir.h"
#include "hotkeys/portal/PortalHotkeyBackend.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;

// Runs the program's event loop until done() holds or the limit has passed.
bool Spin(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

int argc = 1;
char name[] = "portal_e2e";
char* argv[] = {name, nullptr};

TEST(PortalBackendE2e, BindsThroughTheRealFrontendAndHearsPressesAndChanges) {
    test::TempDir dir;
    test::SessionBus bus(dir.Path());
    ASSERT_TRUE(bus.Start());
    test::DesktopPortal portal(dir.Path(), bus);
    ASSERT_TRUE(portal.Ready()) << portal.Log();

    QCoreApplication app(argc, argv);
    QDBusConnection connection =
        QDBusConnection::connectToBus(QString::fromStdString(bus.Address()), "program");
    ASSERT_TRUE(connection.isConnected());
    ASSERT_TRUE(PortalHotkeyBackend::Offered(connection)) << portal.Log();

    PortalHotkeyBackend backend(connection);
    std::vector<std::optional<std::vector<BoundTrigger>>> answers;
    std::vector<std::int32_t> fired;
    backend.SetBoundHandler([&](const auto& triggers) { answers.push_back(triggers); });
    backend.SetFiredHandler([&](std::int32_t id) { fired.push_back(id); });
    EXPECT_TRUE(backend.BindsSets());
    EXPECT_FALSE(backend.Grab(1, {kModControl, 112}));

    // One session, one bind: each hotkey with its name and its combination as preferred trigger.
    backend.BindSet({{1, {kModControl, 112}, "Tone"},
                     {12, {kModShift, 'A'}, "音效十二"},
                     {886, {kModControl, 121}, "*音效快捷开关"}});
    ASSERT_TRUE(Spin([&] { return answers.size() == 1; })) << portal.Log();
    ASSERT_TRUE(answers[0].has_value()) << portal.Log();
    EXPECT_EQ(*answers[0],
              (std::vector<BoundTrigger>{{1, "CTRL+F1"}, {12, "SHIFT+a"}, {886, "CTRL+F10"}}));
    std::vector<test::PortalBind> binds = portal.Binds();
    ASSERT_EQ(binds.size(), 1U) << portal.Log();
    ASSERT_EQ(binds[0].shortcuts.size(), 3U);
    EXPECT_EQ(binds[0].shortcuts[0].id, "slot-1");
    EXPECT_EQ(binds[0].shortcuts[0].preferredTrigger, "CTRL+F1");
    EXPECT_EQ(binds[0].shortcuts[0].description, "Tone");
    EXPECT_EQ(binds[0].shortcuts[1].id, "slot-12");
    EXPECT_EQ(binds[0].shortcuts[1].description, "音效十二");
    EXPECT_EQ(binds[0].shortcuts[2].id, "master");

    // Presses come back as the program's ids; ids it does not have are dropped.
    ASSERT_TRUE(portal.Activate("slot-12"));
    ASSERT_TRUE(portal.Activate("bogus"));
    ASSERT_TRUE(portal.Activate("master"));
    ASSERT_TRUE(Spin([&] { return fired.size() >= 2; })) << portal.Log();
    Spin([] { return false; }, 200ms);
    EXPECT_EQ(fired, (std::vector<std::int32_t>{12, 886}));

    // A new set: the old session is closed and the set bound in a new one under a token of its
    // own. This desktop gives slot 1 another trigger and leaves the master switch out.
    ASSERT_TRUE(portal.Answer("slot-1", "ALT+F1"));
    ASSERT_TRUE(portal.Answer("master", "-"));
    backend.BindSet({{1, {kModControl, 113}, "Tone"}, {886, {kModControl, 121}, "*音效快捷开关"}});
    ASSERT_TRUE(Spin([&] { return answers.size() == 2; })) << portal.Log();
    ASSERT_TRUE(answers[1].has_value());
    EXPECT_EQ(*answers[1], (std::vector<BoundTrigger>{{1, "ALT+F1"}}));
    binds = portal.Binds();
    ASSERT_EQ(binds.size(), 2U);
    EXPECT_NE(binds[1].session, binds[0].session);
    EXPECT_EQ(binds[1].shortcuts[0].preferredTrigger, "CTRL+F2");
    ASSERT_TRUE(Spin([&] { return portal.Records("close").size() == 1; }));
    EXPECT_EQ(portal.Records("close"), (std::vector<std::string>{"close " + binds[0].session}));
    EXPECT_EQ(portal.Records("session").size(), 2U);

    // The user changes a trigger in the desktop's settings.
    ASSERT_TRUE(portal.Change("slot-1", "CTRL+F5"));
    ASSERT_TRUE(Spin([&] { return answers.size() == 3; })) << portal.Log();
    ASSERT_TRUE(answers[2].has_value());
    EXPECT_EQ(*answers[2], (std::vector<BoundTrigger>{{1, "CTRL+F5"}}));

    // The portal crashes and comes back: the program hears that its session is gone, and binds
    // its set again in a new one.
    ASSERT_TRUE(portal.RestartFrontend()) << portal.Log();
    ASSERT_TRUE(Spin([&] { return answers.size() == 5; }, 10s)) << portal.Log();
    EXPECT_EQ(answers[3], std::nullopt);
    ASSERT_TRUE(answers[4].has_value());
    EXPECT_EQ(*answers[4], (std::vector<BoundTrigger>{{1, "ALT+F1"}}));
    binds = portal.Binds();
    ASSERT_EQ(binds.size(), 3U);
    EXPECT_EQ(binds[2].shortcuts.size(), 2U);
    ASSERT_TRUE(portal.Activate("slot-1"));
    ASSERT_TRUE(Spin([&] { return fired.size() == 3; })) << portal.Log();
    EXPECT_EQ(fired.back(), 1);

    // Nothing to hold: the session goes and nothing is bound.
    backend.BindSet({});
    ASSERT_TRUE(Spin([&] { return answers.size() == 6; }));
    EXPECT_EQ(answers[5], std::vector<BoundTrigger>{});
    ASSERT_TRUE(Spin([&] { return portal.Records("close").size() == 2; }));
    EXPECT_EQ(portal.Binds().size(), 3U);

    // The user cancels the desktop's dialog, then the desktop closes a session: the program
    // hears that nothing is held, each time.
    const std::vector<HotkeyBinding> set{{1, {kModControl, 112}, "Tone"}};
    ASSERT_TRUE(portal.Refuse(true));
    backend.BindSet(set);
    ASSERT_TRUE(Spin([&] { return answers.size() == 7; })) << portal.Log();
    EXPECT_EQ(answers[6], std::nullopt);
    ASSERT_TRUE(portal.Refuse(false));
    backend.BindSet(set);
    ASSERT_TRUE(Spin([&] { return answers.size() == 8 && answers[7].has_value(); }));
    ASSERT_TRUE(portal.CloseSession());
    ASSERT_TRUE(Spin([&] { return answers.size() == 9; })) << portal.Log();
    EXPECT_EQ(answers[8], std::nullopt);
}

TEST(PortalBackendE2e, NeverWaitsForThePortalAndClosesASessionItGaveUpOn) {
    test::TempDir dir;
    test::SessionBus bus(dir.Path());
    ASSERT_TRUE(bus.Start());
    test::DesktopPortal portal(dir.Path(), bus);
    ASSERT_TRUE(portal.Ready()) << portal.Log();
    QCoreApplication app(argc, argv);
    QDBusConnection connection =
        QDBusConnection::connectToBus(QString::fromStdString(bus.Address()), "program-unanswered");
    PortalHotkeyBackend backend(connection);
    std::vector<std::optional<std::vector<BoundTrigger>>> answers;
    backend.SetBoundHandler([&](const auto& triggers) { answers.push_back(triggers); });
    const std::vector<HotkeyBinding> first{{1, {kModControl, 112}, "Tone"}};
    const std::vector<HotkeyBinding> second{{1, {kModControl, 112}, "Tone"},
                                            {2, {kModControl, 113}, "High"}};
    backend.BindSet(first);
    ASSERT_TRUE(Spin([&] { return answers.size() == 1; })) << portal.Log();

    // A portal that does not answer (stopped for 12 s, longer than the program waits for a
    // reply): handing a set over returns at once, though it closes a session and opens one.
    portal.Freeze(12s);
    const auto start = std::chrono::steady_clock::now();
    backend.BindSet(second);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms);
    // The program gives up on the call; the session the portal opens when it wakes is closed.
    ASSERT_TRUE(Spin([&] { return answers.size() == 2; }, 15s)) << portal.Log();
    EXPECT_EQ(answers[1], std::nullopt);
    ASSERT_TRUE(Spin([&] { return portal.Records("session").size() == 2; }, 10s)) << portal.Log();
    const std::string opened = portal.Records("session")[1];
    const std::string late = "close " + opened.substr(8, opened.find(' ', 8) - 8);
    EXPECT_TRUE(Spin([&] { return std::ranges::count(portal.Records("close"), late) == 1; }, 5s))
        << portal.Log();
}

}  // namespace
}  // namespace vorlune
