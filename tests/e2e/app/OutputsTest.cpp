// The built program's outputs on a private X display and PulseAudio server, as a streamer's
// devices come and go: the chosen sink pulled out while it plays and plugged in again, the idle
// default sink pulled out, the server restarted, the sinks numbered anew, the monitor output,
// idle outputs corked and the pause fade heard whole, a missing device applied, and two sinks
// that show the same name. Every step is checked by recording the sinks and reading the server's
// streams; the status bar is read from screenshots.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "AudioTestFiles.h"
#include "Commands.h"
#include "MainWindowPlaces.h"
#include "ProgramUnderTest.h"
#include "PulseServer.h"
#include "Screenshot.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "XvfbDisplay.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;

// Slot 1: a long 660 Hz tone; slot 2: one second of 440 Hz.
constexpr char kSlotList[] =
    "[音效1]\n名称=Long\ndz=音效1｜[取运行目录]\\Sounds\\Common\\long.wav\n"
    "[音效2]\n名称=Tone\ndz=音效2｜[取运行目录]\\Sounds\\Common\\tone.wav\n";
const test::Point kLongSlot = test::SlotButtonCentre(0, 0, 1);
const test::Point kToneSlot = test::SlotButtonCentre(0, 0, 2);

// SinkB chosen, by its number and its name.
const std::string kChosenB = std::string(test::kPlainConfig) + "[设置]\n通道=2\n通道名称=SinkB\n";

// A null sink starts a new output in 2-second blocks: give it time before and after.
void LetSinksSettle() {
    std::this_thread::sleep_for(2500ms);
}

class OutputsE2e : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display.Start("1024x768x24"));
        ASSERT_TRUE(pulse.Ready()) << pulse.Log();
        ASSERT_TRUE(program.Installed());
        ASSERT_TRUE(program.WriteSlotList(kSlotList));
        ASSERT_TRUE(test::WriteToneWav(program.File("Sounds/Common/long.wav"),
                                       {.frequency = 660, .seconds = 20, .amplitude = 0.5}));
        ASSERT_TRUE(test::WriteToneWav(program.File("Sounds/Common/tone.wav"),
                                       {.frequency = 440, .seconds = 1.0, .amplitude = 0.5}));
    }

    // Starts the program with `config`, the recorders already running.
    void Start(const std::string& config) {
        ASSERT_TRUE(program.WriteConfig(config));
        ASSERT_TRUE(sinkA.Started() && sinkB.Started());
        LetSinksSettle();
        ASSERT_TRUE(program.Start()) << program.Log();
        LetSinksSettle();
    }

    // A click on the one-second tone, and whether it came on `on` (and nothing of it on `off`).
    void ExpectClickPlaysOn(test::SinkRecorder& on, test::SinkRecorder* off = nullptr) {
        const std::size_t mark = on.FramesSoFar();
        const std::size_t offMark = off != nullptr ? off->FramesSoFar() : 0;
        ASSERT_TRUE(program.Click(kToneSlot));
        EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(on, mark); }, 6s))
            << "loudest since the click: rms " << test::Loudest(on.Left(), mark).rms << " at "
            << test::Loudest(on.Left(), mark).frequency << " Hz\n"
            << program.Log();
        std::this_thread::sleep_for(1200ms);
        if (off != nullptr) {
            EXPECT_LT(test::Loudest(off->Left(), offMark).rms, 0.001);
        }
    }

    // Opens the device list, moves `moves` ("Down", "Up" or "") and accepts, then applies;
    // the title of the box that answers.
    std::optional<std::string> ChooseAndApply(const std::string& moves) {
        if (!program.Click(test::kOutputDeviceList) ||
            !test::WaitFor([&] { return !program.Popups().empty(); }, 5s) ||
            !program.Key(moves.empty() ? "Return" : moves + " Return") ||
            !test::WaitFor([&] { return program.Popups().empty(); }, 5s) ||
            !program.Click(test::kApplyOutputDevice)) {
            return std::nullopt;
        }
        return program.AnswerBox("Return");
    }

    // The ink of the status bar's text: it grows and shrinks with the text shown.
    std::size_t StatusInk() {
        const std::optional<test::Screenshot> shot =
            test::Screenshot::Of(program.Window(), dir.File("shot.ppm"));
        return shot ? shot->InkPixels(test::kStatusBar) : 0;
    }

    test::TempDir dir;
    test::XvfbDisplay display;
    test::PulseServer pulse{dir.Path()};
    test::ProgramUnderTest program{dir.Path()};
    test::SinkRecorder sinkA{"A", dir.File("A.raw")};
    test::SinkRecorder sinkB{"B", dir.File("B.raw")};
};

TEST_F(OutputsE2e, TheChosenSinkPulledOutWhilePlayingFallsBackToTheDefaultAndIsTakenBack) {
    Start(kChosenB);
    const std::size_t ready = StatusInk();
    ASSERT_GT(ready, 0U) << "the status bar shows its ready text";
    const std::size_t markB = sinkB.FramesSoFar();
    ASSERT_TRUE(program.Click(kLongSlot));
    ASSERT_TRUE(test::WaitFor([&] { return test::HeardTone(sinkB, markB, 660.0); }, 6s));

    // SinkB goes while it plays: the program carries on and says where the sound goes now
    // (the text is longer than the ready text).
    ASSERT_TRUE(pulse.Unload("B"));
    std::size_t lost = 0;
    EXPECT_TRUE(test::WaitFor(
        [&] {
            lost = StatusInk();
            return lost > ready * 2;
        },
        5s))
        << "status ink " << lost << " against " << ready << " when ready";
    ExpectClickPlaysOn(sinkA);
    EXPECT_EQ(program.ReadConfig("设置", "通道名称"), "SinkB") << "the fallback is not saved";
    EXPECT_EQ(program.ReadConfig("设置", "通道"), "2");

    // SinkB comes back: the status bar says so (another text) and the next click plays on it.
    ASSERT_TRUE(pulse.Load("B", "SinkB"));
    ASSERT_TRUE(sinkB.Restart());
    std::size_t back = 0;
    EXPECT_TRUE(test::WaitFor(
        [&] {
            back = StatusInk();
            return back > ready && back + ready / 2 < lost;
        },
        5s))
        << "status ink " << back << " against " << lost << " when lost";
    LetSinksSettle();
    ExpectClickPlaysOn(sinkB, &sinkA);
}

TEST_F(OutputsE2e, TheIdleDefaultSinkPulledOutLeavesTheProgramResponsive) {
    Start(kChosenB);
    ASSERT_TRUE(pulse.Unload("A"));
    std::this_thread::sleep_for(1s);

    ASSERT_TRUE(program.Click(test::kOutputDeviceList));
    EXPECT_TRUE(test::WaitFor([&] { return !program.Popups().empty(); }, 5s))
        << "the device list did not open";
    ASSERT_TRUE(program.Key("Escape"));
    ASSERT_TRUE(test::WaitFor([&] { return program.Popups().empty(); }, 5s));
    ExpectClickPlaysOn(sinkB);

    ASSERT_TRUE(program.CloseWindow());
    const std::optional<std::string> question = program.AnswerBox("Return");
    ASSERT_TRUE(question) << "no question on closing";
    EXPECT_EQ(*question, "询问信息");
    EXPECT_EQ(program.WaitForExit(10s), 0) << program.Log();
}

TEST_F(OutputsE2e, ARestartedSoundServerIsFoundAgainWithinSeconds) {
    Start(test::kPlainConfig);
    ExpectClickPlaysOn(sinkA);

    ASSERT_TRUE(pulse.Restart()) << pulse.Log();
    const auto back = std::chrono::steady_clock::now();
    ASSERT_TRUE(sinkA.Restart());
    // The first click within 5 s of the server answering again plays.
    std::this_thread::sleep_until(back + 4500ms);
    ExpectClickPlaysOn(sinkA);
}

TEST_F(OutputsE2e, TheSavedSinkIsFoundByItsNameWhenTheSinksAreNumberedAnew) {
    Start(kChosenB);
    ExpectClickPlaysOn(sinkB, &sinkA);

    // Both go; another sink comes first, then A, then B: SinkB is third now, and the saved
    // number 2 names SinkA.
    ASSERT_TRUE(pulse.Unload("A"));
    ASSERT_TRUE(pulse.Unload("B"));
    ASSERT_TRUE(pulse.Load("C", "SinkC"));
    ASSERT_TRUE(pulse.Load("A", "SinkA"));
    ASSERT_TRUE(pulse.Load("B", "SinkB"));
    ASSERT_TRUE(pulse.SetDefault("C"));
    ASSERT_EQ(pulse.Descriptions(), (std::vector<std::string>{"SinkC", "SinkA", "SinkB"}));
    ASSERT_TRUE(sinkA.Restart());
    ASSERT_TRUE(sinkB.Restart());
    test::SinkRecorder sinkC("C", dir.File("C.raw"));
    LetSinksSettle();
    ExpectClickPlaysOn(sinkB, &sinkA);

    // So after a restart of the program.
    ASSERT_TRUE(program.CloseWindow());
    ASSERT_TRUE(program.AnswerBox("Return"));
    ASSERT_EQ(program.WaitForExit(10s), 0) << program.Log();
    ASSERT_TRUE(program.Start()) << program.Log();
    LetSinksSettle();
    const std::size_t markC = sinkC.FramesSoFar();
    ExpectClickPlaysOn(sinkB, &sinkA);
    EXPECT_LT(test::Loudest(sinkC.Left(), markC).rms, 0.001);
}

TEST_F(OutputsE2e, TheMonitorPlaysEveryClickOnItsSinkAtItsOwnVolume) {
    Start(std::string(test::kPlainConfig) +
          "[是否开启监听]\n值=1\n[监听设备]\n通道=2\n通道名称=SinkB\n[监听音量]\n值=50\n");
    const std::size_t markA = sinkA.FramesSoFar();
    const std::size_t markB = sinkB.FramesSoFar();
    ASSERT_TRUE(program.Click(kToneSlot));
    ASSERT_TRUE(test::WaitFor(
        [&] { return test::HeardTone(sinkA, markA) && test::HeardTone(sinkB, markB, 440, 0.1); },
        6s));
    std::this_thread::sleep_for(1200ms);
    const double onA = test::Loudest(sinkA.Left(), markA).rms;
    const double onB = test::Loudest(sinkB.Left(), markB).rms;
    EXPECT_NEAR(onB / onA, 0.5, 0.05) << "A " << onA << ", B " << onB;

    // The monitor's sink goes: the main sink plays on.
    ASSERT_TRUE(pulse.Unload("B"));
    std::this_thread::sleep_for(1s);
    ExpectClickPlaysOn(sinkA);
}

TEST_F(OutputsE2e, IdleOutputsAreCorkedAndThePauseFadeIsHeardToItsLastStep) {
    Start(kChosenB);
    for (const auto& input : pulse.SinkInputs()) {
        EXPECT_EQ(input.sink, "B") << "the default output is not kept open beside the chosen one";
    }
    EXPECT_TRUE(pulse.AllCorked()) << "nothing played yet";
    const auto click = std::chrono::steady_clock::now();
    ExpectClickPlaysOn(sinkB, &sinkA);
    // The tone lasts a second: corked within a second after it ended.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        click + 2s - std::chrono::steady_clock::now());
    EXPECT_TRUE(test::WaitFor([&] { return pulse.AllCorked(); }, std::max(left, 0ms)));

    // The long tone paused and resumed three times: each fade is heard down to its last steps
    // before the silence, and the tone goes on after each resume. The output is mixed when the
    // server asks, about every 12 ms, so on a busy machine one 15 ms step can fall between two
    // asks: the last heard is 2 % or 4 % of 0.5; dropping what the server held would end the
    // fade near 8 %. (That nothing is skipped is measured on the output itself, in the audio
    // tests.)
    std::size_t mark = sinkB.FramesSoFar();
    ASSERT_TRUE(program.Click(kLongSlot));
    ASSERT_TRUE(test::WaitFor([&] { return test::HeardTone(sinkB, mark, 660.0); }, 6s));
    constexpr std::size_t kWindow = test::SinkRecorder::kRate / 200;  // 5 ms
    for (int round = 0; round < 3; ++round) {
        std::this_thread::sleep_for(500ms);
        mark = sinkB.FramesSoFar();
        ASSERT_TRUE(program.Click(test::kPauseResume));
        // 50 steps of 15 ms, then the rest the server holds.
        std::this_thread::sleep_for(1500ms);
        EXPECT_TRUE(test::WaitFor([&] { return pulse.AllCorked(); }, 1s)) << "paused";
        const std::vector<float> peaks = test::Peaks(sinkB.Left(), mark, kWindow);
        const auto lastHeard =
            std::find_if(peaks.rbegin(), peaks.rend(), [](float p) { return p > 0.002F; });
        ASSERT_NE(lastHeard, peaks.rend()) << "round " << round;
        EXPECT_LT(*lastHeard, 0.025F) << "round " << round << ": the fade stopped above 4 %";
        EXPECT_GT(*std::max_element(peaks.begin(), peaks.end()), 0.4F);

        mark = sinkB.FramesSoFar();
        ASSERT_TRUE(program.Click(test::kPauseResume));
        std::this_thread::sleep_for(1200ms);
        const std::vector<float> resumed = test::Peaks(sinkB.Left(), mark, kWindow);
        const auto first =
            std::find_if(resumed.begin(), resumed.end(), [](float p) { return p > 0.4F; });
        ASSERT_NE(first, resumed.end()) << "round " << round << ": not resumed";
        // A busy machine starves the server for tens of milliseconds now and then (a buffer is
        // four 12 ms periods); that aside, the tone goes on.
        const auto heard = std::count_if(first, resumed.end(), [](float p) { return p > 0.4F; });
        EXPECT_GT(static_cast<double>(heard), 0.7 * static_cast<double>(resumed.end() - first))
            << "round " << round << ": gaps after resuming";
    }
}

TEST_F(OutputsE2e, ApplyingTheMissingDeviceKeepsTheDefaultPlayingAndTheChoice) {
    Start(std::string(test::kPlainConfig) + "[设置]\n通道=3\n通道名称=SinkC\n");
    ExpectClickPlaysOn(sinkA, &sinkB);
    const std::optional<std::string> box = ChooseAndApply("");
    ASSERT_TRUE(box) << "no message after applying the missing device";
    EXPECT_EQ(*box, "信息：");
    ExpectClickPlaysOn(sinkA, &sinkB);
    EXPECT_EQ(program.ReadConfig("设置", "通道名称"), "SinkC");

    // Any present device applied works then.
    ASSERT_EQ(ChooseAndApply("Up"), "信息：");
    ExpectClickPlaysOn(sinkB, &sinkA);
    EXPECT_EQ(program.ReadConfig("设置", "通道标识"), "B");
}

TEST_F(OutputsE2e, OfTwoSinksWithTheSameNameTheSecondChosenPlays) {
    ASSERT_TRUE(pulse.Load("C", "SinkB"));
    test::SinkRecorder sinkC("C", dir.File("C.raw"));
    Start(test::kPlainConfig);
    ASSERT_EQ(ChooseAndApply("Down Down"), "信息：");
    EXPECT_EQ(program.ReadConfig("设置", "通道标识"), "C");
    ExpectClickPlaysOn(sinkC, &sinkB);

    // So after a restart of the program.
    ASSERT_TRUE(program.CloseWindow());
    ASSERT_TRUE(program.AnswerBox("Return"));
    ASSERT_EQ(program.WaitForExit(10s), 0) << program.Log();
    ASSERT_TRUE(program.Start()) << program.Log();
    LetSinksSettle();
    ExpectClickPlaysOn(sinkC, &sinkB);
}

}  // namespace
}  // namespace vorlune
