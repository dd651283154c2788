// The built program with its phone page on, on the loopback: a page's tap plays the slot's tone,
// and while it plays every attack on the page's server is refused and the sound goes on.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "AudioTestFiles.h"
#include "ChildProcess.h"
#include "Commands.h"
#include "MainWindowPlaces.h"
#include "PhoneClient.h"
#include "ProgramUnderTest.h"
#include "PulseServer.h"
#include "SessionBus.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "XvfbDisplay.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;

constexpr char kSecret[] = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";
constexpr char kSlotList[] =
    "[音效3]\n名称=欢迎来到直播间\ndz=音效3｜[取运行目录]\\Sounds\\Common\\tone.wav\n";

// A port nothing listens at now, on the loopback.
quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TEST(PhoneE2e, APagesTapPlaysAndEveryAttackIsRefusedWhileTheSoundGoesOn) {
    int argc = 1;
    char name[] = "phone_e2e";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    test::TempDir dir;
    test::XvfbDisplay display;
    ASSERT_TRUE(display.Start("1024x768x24"));
    test::PulseServer pulse(dir.Path());
    ASSERT_TRUE(pulse.Ready()) << pulse.Log();
    test::SessionBus bus(dir.Path());
    ASSERT_TRUE(bus.Start());
    test::StatusNotifierTray tray(bus, dir.File("tray-host.log"));
    ASSERT_TRUE(tray.Start());

    const quint16 port = FreePort();
    test::ProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Installed());
    ASSERT_TRUE(program.WriteConfig(std::string(test::kPlainConfig) +
                                    "[手机遥控]\n值=1\n端口=" + std::to_string(port) +
                                    "\n监听地址=127.0.0.1\n配对码=" + kSecret + "\n"));
    ASSERT_TRUE(program.WriteSlotList(kSlotList));
    ASSERT_TRUE(test::WriteToneWav(program.File("Sounds/Common/tone.wav"),
                                   {.frequency = 440, .seconds = 30.0, .amplitude = 0.5}));
    test::SinkRecorder sink("A", dir.File("A.raw"));
    ASSERT_TRUE(sink.Started());
    std::this_thread::sleep_for(2500ms);
    ASSERT_TRUE(program.Start()) << program.Log();
    const QByteArray key = QByteArray("/?k=") + kSecret;
    ASSERT_TRUE(
        test::Pump([&] { return test::StatusOf(test::Get(port, key, {}, {})) == 200; }, 10s))
        << program.Log();

    // The paired page hears page 1's names (and no file) and its tap plays the tone.
    test::LivePage phone(port, kSecret);
    ASSERT_TRUE(test::Pump([&] { return phone.heard.size() >= 2; }, 5s)) << program.Log();
    EXPECT_TRUE(phone.heard[0].contains(QStringLiteral("欢迎来到直播间")));
    EXPECT_FALSE(phone.heard[0].contains(QStringLiteral("tone.wav")));
    std::size_t mark = sink.FramesSoFar();
    phone.socket->sendTextMessage(QStringLiteral("play 3"));
    EXPECT_TRUE(test::Pump([&] { return test::HeardTone(sink, mark); }, 4s)) << program.Log();
    EXPECT_TRUE(
        test::Pump([&] { return phone.heard.back().contains(QStringLiteral("\"slot\":3")); }, 2s));

    // Each attack is refused.
    const QByteArray host = "Host: 127.0.0.1:" + QByteArray::number(port) + "\r\n";
    EXPECT_EQ(test::StatusOf(test::Get(port, "/")), 403);
    EXPECT_EQ(test::StatusOf(test::Get(port, "/?k=0f1e2d3c4b5a69788796a5b4c3d2e1f1")), 403);
    EXPECT_EQ(test::StatusOf(test::Get(port, key, {}, "attacker.example:80")), 403);
    EXPECT_EQ(test::StatusOf(test::Get(port, key, "Origin: http://attacker.example\r\n")), 403);
    EXPECT_EQ(test::StatusOf(test::Get(port, "/../config.ini" + key.mid(1))), 404);
    EXPECT_EQ(test::StatusOf(test::Get(port, "/%2e%2e%2fconfig.ini" + key.mid(1))), 404);
    EXPECT_NE(test::StatusOf(test::Exchange(port, "POST " + key + " HTTP/1.1\r\n" + host +
                                                      "Content-Length: 2000000\r\n\r\n" +
                                                      QByteArray(2000000, 'x'))),
              200);
    const int garbage = test::StatusOf(test::Exchange(port, QByteArray(4096, '\xff')));
    EXPECT_TRUE(garbage == 0 || garbage >= 400) << garbage;
    std::vector<std::unique_ptr<QTcpSocket>> flood;
    for (int i = 0; i < 200; ++i) {
        flood.push_back(std::make_unique<QTcpSocket>());
        flood.back()->connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    test::Pump([] { return false; }, 1s);
    flood.clear();

    // The program is still there, the sound still plays and the page is still served.
    EXPECT_TRUE(program.Running());
    mark = sink.FramesSoFar();
    EXPECT_TRUE(test::Pump([&] { return test::HeardTone(sink, mark); }, 4s)) << program.Log();
    EXPECT_TRUE(phone.Open());
    EXPECT_TRUE(test::Pump([&] { return test::StatusOf(test::Get(port, key)) == 200; }, 15s));

    // A real browser at a phone's size: page 1's name listed, a tap plays the tone, pause and the
    // volume slider act (the volume is kept as a drag keeps it), stop ends it.
    phone.socket->sendTextMessage(QStringLiteral("stop"));
    test::Pump([] { return false; }, 1500ms);
    mark = sink.FramesSoFar();
    test::ChildProcess::Options output;
    output.outputPath = dir.File("browser.log");
    output.stderrToo = true;
    test::ChildProcess browser({"/usr/bin/python3", PHONE_PAGE_SCRIPT,
                                "http://127.0.0.1:" + std::to_string(port) + key.toStdString(),
                                dir.File("phone-page.png"), dir.File("browser-ready")},
                               output);
    const auto step = [&](const char* name) {
        return test::WaitFor(
            [&] { return std::filesystem::exists(dir.File("browser-ready-") + name); }, 60s);
    };
    ASSERT_TRUE(step("stopped")) << test::ReadFileBytes(dir.File("browser.log"));
    EXPECT_TRUE(test::HeardTone(sink, mark)) << program.Log();
    EXPECT_EQ(program.ReadConfig("音效音量", "值"), "40");

    // A click on the slot in the window: the page times it from the click's start and return
    // (xdotool returns ~0.1 s after the press lands, so the start is the stricter bound).
    const auto now = [] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    const auto pressed = now();
    ASSERT_TRUE(program.Click(test::SlotButtonCentre(0, 0, 3)));
    const auto clicked = now();
    { std::ofstream(dir.File("clicked")) << pressed << ' ' << clicked; }
    std::filesystem::rename(dir.File("clicked"), dir.File("browser-ready-clicked"));

    // The program goes and comes back: the page says so and reconnects by itself.
    ASSERT_TRUE(step("ready")) << test::ReadFileBytes(dir.File("browser.log"));
    program.Kill();
    ASSERT_TRUE(program.Start()) << program.Log();

    // "更换配对码" in the window: the open page is cut off and its link refused.
    ASSERT_TRUE(step("reconnected")) << test::ReadFileBytes(dir.File("browser.log"));
    ASSERT_TRUE(program.Click(test::PageButtonCentre(5)));
    ASSERT_TRUE(program.Click(test::kNewPhoneSecret));
    EXPECT_TRUE(
        test::WaitFor([&] { return program.ReadConfig("手机遥控", "配对码") != kSecret; }, 5s));
    EXPECT_EQ(browser.WaitForExit(90s), 0) << test::ReadFileBytes(dir.File("browser.log"));
    std::cout << test::ReadFileBytes(dir.File("browser.log"));  // the measured click-to-page time
}

}  // namespace
}  // namespace vorlune
