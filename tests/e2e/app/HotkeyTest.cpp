// The built program's global hotkeys on a private X display: a slot's hotkey plays the slot
// while another program has the focus, and the master-switch hotkey turns slot hotkeys off and
// on again.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "AudioTestFiles.h"
#include "Commands.h"
#include "ProgramUnderTest.h"
#include "PulseServer.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "XClient.h"
#include "XvfbDisplay.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;

const std::string kConfig = std::string(test::kPlainConfig) + "[音效快键控制]\n值=Ctrl｜F10键\n";

constexpr char kSlotList[] =
    "[音效1]\n名称=Tone\ndz=音效1｜[取运行目录]\\Sounds\\Common\\tone.wav\nkjj=Ctrl｜F1键\n"
    "[音效2]\n名称=Win\ndz=音效2｜[取运行目录]\\Sounds\\Common\\tone.wav\nkjj=Win键\n";

// Presses ctrl+F1 and tells whether the tone came on the sink within a few seconds.
bool SlotHotkeyPlays(test::ProgramUnderTest& program, const test::SinkRecorder& sink) {
    const std::size_t mark = sink.FramesSoFar();
    EXPECT_TRUE(program.Key("ctrl+F1"));
    return test::WaitFor([&] { return test::HeardTone(sink, mark); }, 4s);
}

TEST(HotkeyE2e, SlotHotkeyPlaysWhileAnotherWindowHasTheFocusAndTheMasterSwitchTurnsItOff) {
    test::TempDir dir;
    test::XvfbDisplay display;
    ASSERT_TRUE(display.Start("1024x768x24"));
    test::PulseServer pulse(dir.Path());
    ASSERT_TRUE(pulse.Ready()) << pulse.Log();

    test::ProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Installed());
    ASSERT_TRUE(program.WriteConfig(kConfig));
    ASSERT_TRUE(program.WriteSlotList(kSlotList));
    ASSERT_TRUE(test::WriteToneWav(program.File("Sounds/Common/tone.wav"),
                                   {.frequency = 440, .seconds = 1.0, .amplitude = 0.5}));

    test::SinkRecorder sink("A", dir.File("A.raw"));
    ASSERT_TRUE(sink.Started());
    std::this_thread::sleep_for(2500ms);
    ASSERT_TRUE(program.Start()) << program.Log();
    std::this_thread::sleep_for(2500ms);

    // Another client's window takes the focus: keys nobody grabbed go to it.
    test::XClient other;
    ASSERT_TRUE(other.Connected());
    other.FocusOwnWindow();
    ASSERT_TRUE(program.Key("a"));
    ASSERT_TRUE(test::WaitFor([&] { return other.PressesOf(XK_a) == 1; }, 2s));

    EXPECT_TRUE(SlotHotkeyPlays(program, sink)) << program.Log();
    EXPECT_EQ(other.PressesOf(XK_F1), 0U) << "the program's grab takes ctrl+F1";

    // A hotkey on the bare Windows key plays its slot and takes no key from the others: Win+E
    // still reaches the focused window.
    std::this_thread::sleep_for(1200ms);
    const std::size_t winMark = sink.FramesSoFar();
    ASSERT_TRUE(test::Run("xdotool keydown Super_L key e keyup Super_L"));
    EXPECT_TRUE(test::WaitFor([&] { return HeardTone(sink, winMark); }, 4s));
    EXPECT_TRUE(test::WaitFor([&] { return other.PressesOf(XK_e) == 1; }, 2s));
    EXPECT_NE(other.PressesReceived().back().state & XCB_MOD_MASK_4, 0);

    // The master-switch hotkey turns slot hotkeys off: ctrl+F1 is released to the focused
    // window and plays nothing.
    std::this_thread::sleep_for(1200ms);
    ASSERT_TRUE(program.Key("ctrl+F10"));
    EXPECT_TRUE(
        test::WaitFor([&] { return program.ReadConfig("是否设置快捷按钮", "值") == "0"; }, 3s));
    std::this_thread::sleep_for(300ms);
    const std::size_t mark = sink.FramesSoFar();
    ASSERT_TRUE(program.Key("ctrl+F1"));
    EXPECT_TRUE(test::WaitFor([&] { return other.PressesOf(XK_F1) == 1; }, 2s));
    std::this_thread::sleep_for(1500ms);
    EXPECT_LT(test::Loudest(sink.Left(), mark).rms, 0.001);

    // Pressed again, it turns them back on and the slot plays again.
    ASSERT_TRUE(program.Key("ctrl+F10"));
    EXPECT_TRUE(
        test::WaitFor([&] { return program.ReadConfig("是否设置快捷按钮", "值") == "1"; }, 3s));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(SlotHotkeyPlays(program, sink));
    EXPECT_EQ(other.PressesOf(XK_F1), 1U);
    EXPECT_EQ(other.PressesOf(XK_F10), 0U) << "the master switch keeps its hotkey while off";
}

}  // namespace
}  // namespace vorlune
