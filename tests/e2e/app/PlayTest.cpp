// The built program on a private X display and PulseAudio server: a click on a slot button
// plays the slot's file on the chosen output, the output is chosen in the device list and kept
// across a restart.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "AudioTestFiles.h"
#include "Commands.h"
#include "MainWindowPlaces.h"
#include "ProgramUnderTest.h"
#include "PulseServer.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "XvfbDisplay.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;

constexpr char kSlotList[] =
    "[音效1]\n名称=Tone\ndz=音效1｜[取运行目录]\\Sounds\\Common\\tone.wav\n";

// Slot 1 sits in the first row, second column of the first page.
const test::Point kSlot1 = test::SlotButtonCentre(0, 0, 1);

// A null sink starts a new output in 2-second blocks: give it time before and after.
void LetSinksSettle() {
    std::this_thread::sleep_for(2500ms);
}

// After a click at `mark` frames: the tone comes on `on` and nothing at all on `off`.
void ExpectToneOnlyOn(const test::SinkRecorder& on, std::size_t onMark,
                      const test::SinkRecorder& off, std::size_t offMark) {
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(on, onMark); }, 6s))
        << "loudest since the click: rms " << test::Loudest(on.Left(), onMark).rms << " at "
        << test::Loudest(on.Left(), onMark).frequency << " Hz";
    // The tone lasts a second: wait for its end before listening to the other sink.
    std::this_thread::sleep_for(1200ms);
    EXPECT_LT(test::Loudest(off.Left(), offMark).rms, 0.001);
}

// Opens the device list, moves `moves` ("Down", "Up" or "") and accepts, then applies.
void ChooseAndApply(test::ProgramUnderTest& program, const std::string& moves) {
    ASSERT_TRUE(program.Click(test::kOutputDeviceList));
    ASSERT_TRUE(test::WaitFor([&] { return !program.Popups().empty(); }, 5s))
        << "the device list did not open";
    ASSERT_TRUE(program.Key(moves.empty() ? "Return" : moves + " Return"));
    ASSERT_TRUE(test::WaitFor([&] { return program.Popups().empty(); }, 5s));
    ASSERT_TRUE(program.Click(test::kApplyOutputDevice));
    // The apply reports the chosen device in a box.
    const std::optional<std::string> box = program.AnswerBox("Return");
    ASSERT_TRUE(box) << "no message after applying the device";
    EXPECT_EQ(*box, "信息：");
}

TEST(PlayE2e, ClickPlaysOnTheChosenOutputWhichSurvivesARestart) {
    test::TempDir dir;
    test::XvfbDisplay display;
    ASSERT_TRUE(display.Start("1024x768x24"));
    test::PulseServer pulse(dir.Path());
    ASSERT_TRUE(pulse.Ready()) << pulse.Log();

    test::ProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Installed());
    ASSERT_TRUE(program.WriteConfig(test::kPlainConfig));
    ASSERT_TRUE(program.WriteSlotList(kSlotList));
    ASSERT_TRUE(test::WriteToneWav(program.File("Sounds/Common/tone.wav"),
                                   {.frequency = 440, .seconds = 1.0, .amplitude = 0.5}));

    test::SinkRecorder sinkA("A", dir.File("A.raw"));
    test::SinkRecorder sinkB("B", dir.File("B.raw"));
    ASSERT_TRUE(sinkA.Started() && sinkB.Started());
    LetSinksSettle();

    ASSERT_TRUE(program.Start()) << program.Log();
    LetSinksSettle();

    // With no saved device the sound goes to the system default, SinkA.
    std::size_t markA = sinkA.FramesSoFar();
    std::size_t markB = sinkB.FramesSoFar();
    ASSERT_TRUE(program.Click(kSlot1));
    ExpectToneOnlyOn(sinkA, markA, sinkB, markB);
    EXPECT_EQ(program.ReadConfig("设置", "通道"), "");

    // The second item of the list is SinkB; applying it saves device 2 and moves the sound.
    ChooseAndApply(program, "Down");
    EXPECT_TRUE(test::WaitFor([&] { return program.ReadConfig("设置", "通道") == "2"; }, 3s))
        << "saved: " << program.ReadConfig("设置", "通道");
    LetSinksSettle();
    markA = sinkA.FramesSoFar();
    markB = sinkB.FramesSoFar();
    ASSERT_TRUE(program.Click(kSlot1));
    ExpectToneOnlyOn(sinkB, markB, sinkA, markA);

    // Closing asks whether to leave; the box's default answer is Yes.
    ASSERT_TRUE(program.CloseWindow());
    const std::optional<std::string> question = program.AnswerBox("Return");
    ASSERT_TRUE(question) << "no question on closing";
    EXPECT_EQ(*question, "询问信息");
    EXPECT_EQ(program.WaitForExit(10s), 0) << program.Log();

    // After a restart the saved device is the output again and the list shows it: accepting
    // the list's current item and applying keeps device 2.
    ASSERT_TRUE(program.Start()) << program.Log();
    LetSinksSettle();
    markA = sinkA.FramesSoFar();
    markB = sinkB.FramesSoFar();
    ASSERT_TRUE(program.Click(kSlot1));
    ExpectToneOnlyOn(sinkB, markB, sinkA, markA);
    ChooseAndApply(program, "");
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(program.ReadConfig("设置", "通道"), "2");
}

}  // namespace
}  // namespace vorlune
