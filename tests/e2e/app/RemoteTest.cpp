// The `vorlune` command against the built program on a private X display, session bus and
// PulseAudio server: it plays, stops and pauses as the buttons do, turns the master switch off
// as a click would while its own play still plays, lists the slots and the state, and refuses
// with an exit code and a reason, never with a message box on the screen.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "AudioTestFiles.h"
#include "ChildProcess.h"
#include "Commands.h"
#include "ProgramUnderTest.h"
#include "PulseServer.h"
#include "Screenshot.h"
#include "SessionBus.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "XvfbDisplay.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;

constexpr char kSlotList[] =
    "[音效3]\n名称=欢迎来到直播间\ndz=音效3｜[取运行目录]\\Sounds\\Common\\tone.wav\n"
    "kjj=Ctrl｜F3键\n"
    "[音效4]\n名称=Gone\ndz=音效4｜[取运行目录]\\Sounds\\Common\\gone.wav\n";

// The master switch's picture on the control strip: green while hotkeys are on.
constexpr test::Area kMasterSwitchPicture{10 + 82, 433 + 18, 80, 24};

// The `vorlune` command: the small executable installed under that name, or the program's own
// executable given arguments, which does the same.
class Remote {
  public:
    Remote(const test::ProgramUnderTest& program, std::string_view executable)
        : command_(test::ShellQuoted(program.File(executable))) {}
    test::CommandResult operator()(const std::string& arguments) const {
        return test::RunForResult(command_ + " " + arguments);
    }

  private:
    std::string command_;
};

bool Silent(const test::SinkRecorder& sink, std::size_t from) {
    return test::Loudest(sink.Left(), from).rms < 0.001;
}

TEST(RemoteE2e, TheCommandDrivesTheRunningProgramAndRefusesWithAReasonAndNoMessageBox) {
    test::TempDir dir;
    test::XvfbDisplay display;
    ASSERT_TRUE(display.Start("1024x768x24"));
    test::PulseServer pulse(dir.Path());
    ASSERT_TRUE(pulse.Ready()) << pulse.Log();
    test::SessionBus bus(dir.Path());
    ASSERT_TRUE(bus.Start()) << test::ReadFileBytes(dir.File("dbus-daemon.log"));
    test::StatusNotifierTray tray(bus, dir.File("tray-host.log"));
    ASSERT_TRUE(tray.Start()) << test::ReadFileBytes(dir.File("tray-host.log"));

    test::ProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Installed());
    ASSERT_TRUE(program.WriteConfig(test::kPlainConfig));
    ASSERT_TRUE(program.WriteSlotList(kSlotList));
    ASSERT_TRUE(test::WriteToneWav(program.File("Sounds/Common/tone.wav"),
                                   {.frequency = 440, .seconds = 3.0, .amplitude = 0.5}));
    const Remote vorlune(program, "vorlune-remote");
    const Remote programItself(program, "vorlune");

    // Nothing runs yet: exit 3. Bad arguments are refused before anything is asked: exit 2 and
    // the usage on standard error.
    const test::CommandResult none = vorlune("status");
    EXPECT_EQ(none.exitCode, 3) << none.err;
    for (const char* wrong :
         {"dance", "play abc", "play 0", "play 210", "volume 101", "hotkeys maybe", "stop now"}) {
        const test::CommandResult result = vorlune(wrong);
        EXPECT_EQ(result.exitCode, 2) << wrong;
        EXPECT_NE(result.err.find("Usage: vorlune"), std::string::npos) << wrong;
        EXPECT_TRUE(result.out.empty()) << wrong;
    }
    EXPECT_EQ(vorlune("--help").exitCode, 0);
    EXPECT_EQ(vorlune("--version").out.rfind("vorlune ", 0), 0U);
    EXPECT_EQ(programItself("play 0").exitCode, 2);
    EXPECT_EQ(programItself("stop").exitCode, 3);

    test::SinkRecorder sink("A", dir.File("A.raw"));
    ASSERT_TRUE(sink.Started());
    std::this_thread::sleep_for(2500ms);
    ASSERT_TRUE(program.Start()) << program.Log();
    ASSERT_TRUE(test::WaitFor([&] { return bus.HasOwner("io.github.vorlune.Vorlune"); }, 10s))
        << program.Log();
    // Another client of the bus listens to the program's signals.
    test::ChildProcess::Options monitorOutput;
    monitorOutput.outputPath = dir.File("monitor.log");
    test::ChildProcess listener(
        {"gdbus", "monitor", "--session", "--dest", "io.github.vorlune.Vorlune"}, monitorOutput);
    std::this_thread::sleep_for(500ms);

    // play 3 → slot 3's tone, and the state says so.
    std::size_t mark = sink.FramesSoFar();
    EXPECT_EQ(vorlune("play 3").exitCode, 0);
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(sink, mark); }, 4s)) << program.Log();
    const test::CommandResult playing = vorlune("status --json");
    EXPECT_EQ(playing.exitCode, 0);
    EXPECT_NE(playing.out.find("\"slot\":3"), std::string::npos) << playing.out;
    EXPECT_NE(playing.out.find("\"paused\":false"), std::string::npos) << playing.out;
    EXPECT_TRUE(test::WaitFor(
        [&] {
            return test::ReadFileBytes(dir.File("monitor.log")).find("'slot': <3>") !=
                   std::string::npos;
        },
        3s))
        << test::ReadFileBytes(dir.File("monitor.log"));

    EXPECT_NE(programItself("status").out.find("slot: 3\n"), std::string::npos);

    // pause fades the sound out (the call returns after the fade) and pause again resumes it.
    EXPECT_EQ(vorlune("pause").exitCode, 0);
    std::this_thread::sleep_for(300ms);
    mark = sink.FramesSoFar();
    const test::CommandResult paused = vorlune("status");
    EXPECT_NE(paused.out.find("slot: 3\npaused: yes"), std::string::npos) << paused.out;
    std::this_thread::sleep_for(800ms);
    EXPECT_TRUE(Silent(sink, mark));
    mark = sink.FramesSoFar();
    EXPECT_EQ(vorlune("pause").exitCode, 0);
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(sink, mark); }, 4s));
    EXPECT_NE(vorlune("status").out.find("paused: no"), std::string::npos);

    // stop ends it.
    EXPECT_EQ(vorlune("stop").exitCode, 0);
    std::this_thread::sleep_for(300ms);
    mark = sink.FramesSoFar();
    std::this_thread::sleep_for(800ms);
    EXPECT_TRUE(Silent(sink, mark));
    EXPECT_NE(vorlune("status").out.find("slot: none"), std::string::npos);

    // hotkeys off leaves what a click leaves: config.ini, the grey switch, the tray's tip. The
    // slot's hotkey then plays nothing, while a remote play, which is no hotkey, still plays.
    EXPECT_EQ(vorlune("hotkeys off").exitCode, 0);
    EXPECT_EQ(program.ReadConfig("是否设置快捷按钮", "值"), "0");
    const std::optional<test::Screenshot> shot =
        test::Screenshot::Of(program.Window(), dir.File("shot.png"));
    ASSERT_TRUE(shot);
    EXPECT_LT(shot->GreenShare(kMasterSwitchPicture), 0.05) << "hotkeys off: the grey switch";
    const std::vector<std::string> items = tray.Items();
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(tray.ToolTipTitle(items.front()), "Vorlune正式版\n全局快捷键状态:已经关闭");
    mark = sink.FramesSoFar();
    ASSERT_TRUE(program.Key("ctrl+F3"));
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(Silent(sink, mark)) << "the slot hotkey plays while the master switch is off";
    mark = sink.FramesSoFar();
    EXPECT_EQ(vorlune("play 3").exitCode, 0);
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(sink, mark); }, 4s));
    EXPECT_EQ(vorlune("stop").exitCode, 0);

    // The slots as the list file holds them: 209, the GBK list's name, then a UTF-8 list's.
    const test::CommandResult list = vorlune("list --json");
    EXPECT_EQ(list.exitCode, 0);
    std::size_t count = 0;
    for (std::size_t at = list.out.find("\"number\":"); at != std::string::npos;
         at = list.out.find("\"number\":", at + 1)) {
        ++count;
    }
    EXPECT_EQ(count, 209U);
    EXPECT_NE(
        list.out.find(R"("file":true,"hotkey":"Ctrl+F3键","name":"欢迎来到直播间","number":3)"),
        std::string::npos)
        << list.out.substr(0, 600);
    EXPECT_NE(list.out.find(R"("file":false,"hotkey":"","name":"Gone","number":4)"),
              std::string::npos);
    test::WriteFileBytes(program.DataFile("Sounds/Common/list.ini"),
                         "\xEF\xBB\xBF[音效3]\r\n名称=Café ☕ 掌声\r\n");
    EXPECT_NE(vorlune("list").out.find("3\t1\tCafé ☕ 掌声\t"), std::string::npos);
    ASSERT_TRUE(program.WriteSlotList(kSlotList));

    // Refusals: exit 4 with the reason, and no message box waits on the screen.
    const test::CommandResult empty = vorlune("play 5");
    EXPECT_EQ(empty.exitCode, 4);
    EXPECT_NE(empty.err.find("slot 5 is empty"), std::string::npos) << empty.err;
    const test::CommandResult gone = vorlune("play 4");
    EXPECT_EQ(gone.exitCode, 4);
    EXPECT_NE(
        gone.err.find("missing or cannot be played: " + program.File("Sounds/Common/gone.wav")),
        std::string::npos)
        << gone.err;
    ASSERT_TRUE(pulse.Unload("A"));
    ASSERT_TRUE(pulse.Unload("B"));
    std::this_thread::sleep_for(1000ms);
    const test::CommandResult noOutput = vorlune("play 3");
    EXPECT_EQ(noOutput.exitCode, 4);
    EXPECT_NE(noOutput.err.find("no output device"), std::string::npos) << noOutput.err;
    std::this_thread::sleep_for(1000ms);
    EXPECT_TRUE(program.OtherWindows().empty()) << "a message box opened for a remote call";
    EXPECT_TRUE(program.Running());
}

}  // namespace
}  // namespace vorlune
