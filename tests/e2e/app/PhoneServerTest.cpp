// The phone page's server on the loopback, attacked and used as a phone and a hostile page
// would: raw HTTP requests and WebSocket clients, with the commands behind it recorded.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTcpSocket>
#include <QWebSocket>
#include <chrono>
#include <memory>
#include <vector>

#include "PhoneClient.h"
#include "RecordedRemote.h"
#include "WaitFor.h"
#include "app/phone/PhoneServer.h"

namespace vorlune {
namespace {

using test::Exchange;
using test::Get;
using test::LivePage;
using test::Pump;
using test::StatusOf;

using namespace std::chrono_literals;

const std::string kSecret = "00112233445566778899aabbccddeeff";
const std::string kNewSecret = "ffeeddccbbaa99887766554433221100";

TEST(PhoneServerE2e, OnlyThePairedPageAtThisAddressIsServedAndDrivesTheSameCommands) {
    int argc = 1;
    char name[] = "phone_server_e2e";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    RecordedActions actions;
    SetQueries queries;
    queries.list = {{.number = 1, .page = 1, .name = "掌声", .hotkey = "", .fileFound = true},
                    {.number = 2, .page = 1, .name = "", .hotkey = "", .fileFound = false}};
    PhoneServer server(actions, queries);
    ASSERT_TRUE(server.Start(QHostAddress::LocalHost, 0, kSecret, {"127.0.0.1"}));
    const quint16 port = server.Port();
    const QByteArray key = "/?k=" + QByteArray::fromStdString(kSecret);

    // The paired link gets the page, with no CORS and no file name in it.
    const QByteArray page = Get(port, key);
    EXPECT_EQ(StatusOf(page), 200) << page.left(200).toStdString();
    EXPECT_TRUE(page.contains("<!DOCTYPE html>"));
    EXPECT_FALSE(page.toLower().contains("access-control-allow"));

    // Refused with a bare 403: no secret, a wrong one, a foreign Host (DNS rebinding), a
    // foreign Origin; path tricks are 404 whatever the secret; an oversized body is refused.
    for (const QByteArray& refused :
         {Get(port, "/"), Get(port, "/?k=00112233445566778899aabbccddeefe"),
          Get(port, "/?k=" + QByteArray::fromStdString(kSecret) + "0"),
          Get(port, key, {}, "evil.example:" + QByteArray::number(port)),
          Get(port, key, "Origin: http://evil.example\r\n"), Get(port, key, "Origin: null\r\n")}) {
        EXPECT_EQ(StatusOf(refused), 403) << refused.toStdString();
        EXPECT_TRUE(refused.endsWith("\r\n\r\nforbidden\n")) << refused.toStdString();
    }
    for (const QByteArray& trick :
         {QByteArray("/../config.ini"), QByteArray("/%2e%2e/%2e%2e/etc/passwd"),
          QByteArray("/..%2fconfig.ini"), QByteArray("//etc/passwd"), QByteArray("/etc/passwd"),
          QByteArray("/pad.html"), QByteArray("/live/..%2f")}) {
        EXPECT_EQ(StatusOf(Get(port, trick + "?k=" + QByteArray::fromStdString(kSecret))), 404)
            << trick.toStdString();
    }
    const QByteArray big =
        Exchange(port, "POST " + key + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                           "\r\nContent-Length: 1048576\r\n\r\n" + QByteArray(1048576, 'x'));
    EXPECT_NE(StatusOf(big), 200) << big.left(100).toStdString();
    for (const QByteArray& garbage :
         {QByteArray("\x00\xff\x16\x03\x01garbage\r\n\r\n", 18), QByteArray("GET\r\n\r\n"),
          QByteArray("GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n")}) {
        const int status = StatusOf(Exchange(port, garbage));
        EXPECT_TRUE(status == 0 || (status >= 400 && status < 500)) << status;
    }

    // Repeated failures from one address are slowed down.
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(StatusOf(Get(port, "/?k=wrong")), 403);
    EXPECT_GE(std::chrono::steady_clock::now() - before, 250ms);

    // A live page hears the slots (names, never files) and the state, and its words become
    // the remote commands; the state is pushed on a change and only then.
    LivePage phone(port, kSecret);
    ASSERT_TRUE(Pump([&] { return phone.heard.size() >= 2; }));
    EXPECT_TRUE(phone.heard[0].contains(QStringLiteral("掌声")));
    EXPECT_FALSE(phone.heard[0].contains(QStringLiteral("/sounds/")));
    EXPECT_TRUE(phone.heard[1].contains(QStringLiteral("\"volume\":80")));
    for (const char* words : {"play 7", "volume 60", "stop", "pause", "hotkeys toggle"}) {
        phone.socket->sendTextMessage(QString::fromLatin1(words));
    }
    phone.socket->sendTextMessage(QStringLiteral("play ../../etc/passwd"));
    ASSERT_TRUE(Pump([&] { return actions.hotkeys.size() == 1 && phone.heard.size() >= 3; }));
    EXPECT_EQ(actions.played, std::vector{7});
    EXPECT_EQ(actions.volume, std::vector{60});
    EXPECT_EQ(actions.stops, 1);
    EXPECT_EQ(actions.pauses, 1);
    const std::size_t heard = phone.heard.size();
    queries.state.slot = 3;
    server.StateMayHaveChanged();
    server.StateMayHaveChanged();
    ASSERT_TRUE(Pump([&] { return phone.heard.size() > heard; }));
    EXPECT_TRUE(phone.heard.back().contains(QStringLiteral("\"slot\":3")));
    Pump([] { return false; }, 100ms);
    EXPECT_EQ(phone.heard.size(), heard + 1);

    // Live connections without the secret or from another site are closed unheard.
    LivePage stranger(port, "nothing");
    LivePage foreign(port, kSecret, QStringLiteral("http://evil.example"));
    EXPECT_TRUE(stranger.WaitClosed());
    EXPECT_TRUE(foreign.WaitClosed());
    EXPECT_TRUE(stranger.heard.empty() && foreign.heard.empty());

    // 200 connections at once: at most the bound is held, and the page is served afterwards.
    std::vector<std::unique_ptr<QTcpSocket>> flood;
    for (int i = 0; i < 200; ++i) {
        flood.push_back(std::make_unique<QTcpSocket>());
        flood.back()->connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    // A connection still waiting in the kernel's queue looks open from this side until the
    // server takes it; the server closes each one beyond the bound as it takes it.
    const auto held = [&flood] {
        return std::count_if(flood.begin(), flood.end(), [](const auto& s) {
            return s->state() == QAbstractSocket::ConnectedState;
        });
    };
    EXPECT_TRUE(Pump([&] { return held() <= kPhoneMaxConnections; }, 30s)) << held();
    flood.clear();
    Pump([] { return false; }, 200ms);
    EXPECT_EQ(StatusOf(Get(port, key)), 200);

    // As many connections as the bound that say nothing are let go, so they cannot keep a phone
    // out.
    for (int i = 0; i < kPhoneMaxConnections; ++i) {
        flood.push_back(std::make_unique<QTcpSocket>());
        flood.back()->connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    EXPECT_TRUE(Pump([&] { return held() == kPhoneMaxConnections; }, 5s)) << held();
    EXPECT_TRUE(Pump([&] { return held() == 0; }, 10s)) << held();
    flood.clear();
    EXPECT_EQ(StatusOf(Get(port, key)), 200);
    EXPECT_TRUE(phone.Open());

    // A new pairing secret disconnects the paired page; the old secret no longer opens it.
    server.ChangeSecret(kNewSecret);
    EXPECT_TRUE(phone.WaitClosed());
    EXPECT_EQ(StatusOf(Get(port, key)), 403);
    LivePage repaired(port, kNewSecret);
    EXPECT_TRUE(Pump([&] { return repaired.heard.size() >= 2; }));

    // Off means off: the port closes and the page is gone at once.
    server.Stop();
    EXPECT_TRUE(repaired.WaitClosed());
    EXPECT_FALSE(server.Listening());
    EXPECT_EQ(StatusOf(Get(port, key)), 0);
}

}  // namespace
}  // namespace vorlune
