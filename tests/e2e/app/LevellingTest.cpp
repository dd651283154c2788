// The built program on a private X display and PulseAudio server: two slots whose files are
// 20 dB apart in loudness play 20 dB apart while loudness levelling is off, and within 1 dB of
// each other once its switch on the settings page is on.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
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
    "[音效1]\n名称=Loud\ndz=音效1｜[取运行目录]\\Sounds\\Common\\loud.wav\n"
    "[音效2]\n名称=Soft\ndz=音效2｜[取运行目录]\\Sounds\\Common\\soft.wav\n";

// A 997 Hz sine in one channel reads 3.01 dB below its peak level in LUFS: -7 and -27 LUFS,
// both within the boost cap and the true-peak ceiling of the -16 LUFS target.
constexpr double kLoudAmplitude = 0.632;
constexpr double kSoftAmplitude = 0.0632;

// Clicks a slot and gives back the level of what the sink played, in dB.
double PlayedDb(test::ProgramUnderTest& program, test::SinkRecorder& sink, int column) {
    const std::size_t mark = sink.FramesSoFar();
    EXPECT_TRUE(program.Click(test::SlotButtonCentre(0, 0, column)));
    EXPECT_TRUE(test::WaitFor([&] { return test::HeardTone(sink, mark, 997.0, 0.005); }, 6s));
    std::this_thread::sleep_for(1500ms);  // the whole second of the tone
    return 20.0 * std::log10(test::Loudest(sink.Left(), mark).rms);
}

TEST(LevellingE2e, SlotsTwentyDecibelsApartPlayAlikeOnlyWithTheSwitchOn) {
    test::TempDir dir;
    test::XvfbDisplay display;
    ASSERT_TRUE(display.Start("1024x768x24"));
    test::PulseServer pulse(dir.Path());
    ASSERT_TRUE(pulse.Ready()) << pulse.Log();

    test::ProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Installed());
    ASSERT_TRUE(program.WriteConfig(test::kPlainConfig));
    ASSERT_TRUE(program.WriteSlotList(kSlotList));
    for (const auto& [name, amplitude] :
         {std::pair{"loud.wav", kLoudAmplitude}, std::pair{"soft.wav", kSoftAmplitude}}) {
        ASSERT_TRUE(test::WriteToneWav(program.File(std::string("Sounds/Common/") + name),
                                       {.frequency = 997, .seconds = 1.0, .amplitude = amplitude}));
    }
    test::SinkRecorder sink("A", dir.File("A.raw"));
    ASSERT_TRUE(sink.Started());
    std::this_thread::sleep_for(2500ms);
    ASSERT_TRUE(program.Start()) << program.Log();
    std::this_thread::sleep_for(2500ms);

    // Off, as it is by default: played as they are, and nothing is measured.
    const double loudOff = PlayedDb(program, sink, 1);
    const double softOff = PlayedDb(program, sink, 2);
    EXPECT_NEAR(loudOff - softOff, 20.0, 1.0);
    const std::string cache = program.DataFile("loudness.cache");
    EXPECT_FALSE(std::filesystem::exists(cache));

    // On: saved, both files measured in the background, then both play alike.
    ASSERT_TRUE(program.Click(test::PageButtonCentre(5)));
    ASSERT_TRUE(program.Click(test::kLevellingSwitch));
    EXPECT_TRUE(test::WaitFor([&] { return program.ReadConfig("音量均衡", "值") == "1"; }, 3s));
    EXPECT_TRUE(test::WaitFor(
        [&] {
            const std::string text = test::ReadFileBytes(cache);
            return std::count(text.begin(), text.end(), '\n') == 3;
        },
        5s));
    ASSERT_TRUE(program.Click(test::PageButtonCentre(0)));
    const double loudOn = PlayedDb(program, sink, 1);
    const double softOn = PlayedDb(program, sink, 2);
    EXPECT_NEAR(loudOn, softOn, 1.0) << "loud " << loudOn << " dB, soft " << softOn << " dB";
    // At the target: a -16 LUFS sine peaks at -12.99 dBFS, its RMS 3 dB below.
    EXPECT_NEAR(loudOn, -16.0, 1.5);
}

}  // namespace
}  // namespace vorlune
