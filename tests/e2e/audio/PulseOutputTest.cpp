#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "AudioTestFiles.h"
#include "Commands.h"
#include "PulseServer.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "audio/AudioPlayer.h"
#include "audio/MixingAudioEngine.h"
#include "audio/pulse/PulseOutputSystem.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;
using test::WaitFor;

class PulseOutput : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pulse.Ready()) << pulse.Log();
        player.SetDeviceListener([this] { ++told; });
        ASSERT_TRUE(test::WriteToneWav(dir.File("tone.wav"),
                                       {.frequency = 440, .seconds = 1.5, .amplitude = 0.5}));
        ASSERT_TRUE(test::WriteToneWav(dir.File("long.wav"), {.frequency = 660, .seconds = 20}));
    }

    // The number of the device named `name` in a fresh walk over the list.
    static std::optional<int> Number(const AudioPlayer& player, const std::string& name) {
        for (int n = 1; const auto info = player.GetDeviceInfo(n); ++n) {
            if (info->name == name) {
                return n;
            }
        }
        return std::nullopt;
    }

    test::TempDir dir;
    test::PulseServer pulse{dir.Path()};
    // The program's engine on the server's outputs; `told` counts what its listener heard.
    PulseOutputSystem outputs;
    MixingAudioEngine engine{outputs};
    AudioPlayer player{engine};
    std::atomic<int> told = 0;
};

TEST_F(PulseOutput, PlaysOnTheChosenSinkOnlyAndSurvivesItsRemoval) {
    // An idle null sink works in 2-second blocks: record first, then wait before playing.
    test::SinkRecorder recordA("A", dir.File("A.raw"));
    test::SinkRecorder recordB("B", dir.File("B.raw"));
    ASSERT_TRUE(recordA.Started() && recordB.Started());
    std::this_thread::sleep_for(2500ms);

    // The list shows both sinks by name; the default output is an output of its own, so
    // SinkA itself opens beside it.
    ASSERT_TRUE(player.GetDeviceInfo(1));
    ASSERT_TRUE(player.GetDeviceInfo(2));
    EXPECT_EQ(player.GetDeviceInfo(1)->name, "SinkA");
    EXPECT_EQ(player.GetDeviceInfo(2)->name, "SinkB");
    EXPECT_EQ(player.GetDeviceInfo(1)->driver, "pulseaudio");
    EXPECT_FALSE(player.GetDeviceInfo(3));
    EXPECT_TRUE(player.GetDeviceInfo(1)->flags & kDeviceDefault);
    EXPECT_FALSE(player.GetDeviceInfo(2)->flags & kDeviceDefault);
    EXPECT_TRUE(player.Init());
    EXPECT_EQ(player.CurrentDevice(), kDefaultDevice);
    EXPECT_FALSE(player.Init());
    EXPECT_TRUE(player.Init(1));
    EXPECT_EQ(player.CurrentDevice(), 1);
    EXPECT_TRUE(player.Free());
    EXPECT_TRUE(player.SetDevice(kDefaultDevice));
    EXPECT_TRUE(player.Free());
    EXPECT_EQ(told.load(), 0) << "nothing came or went";

    ASSERT_TRUE(player.Init(2));
    std::this_thread::sleep_for(2500ms);
    const StreamHandle tone = player.CreateStream(dir.File("tone.wav"));
    ASSERT_NE(tone, 0U);
    ASSERT_TRUE(player.Play(tone));
    EXPECT_TRUE(WaitFor([&] { return player.IsActive(tone) == ChannelState::Stopped; }, 10s));
    std::this_thread::sleep_for(2500ms);

    const test::Heard onB = test::Loudest(recordB.Left());
    const test::Heard onA = test::Loudest(recordA.Left());
    EXPECT_GT(onB.rms, 0.3) << "a 0.5 sine has an RMS of 0.35";
    EXPECT_NEAR(onB.frequency, 440.0, 25.0);
    EXPECT_LT(onA.rms, 0.001);

    // SinkB goes away while a sound plays on it: the stream ends, the listener is told, the
    // output is closed at the next call, and another output opens.
    const StreamHandle longTone = player.CreateStream(dir.File("long.wav"));
    ASSERT_NE(longTone, 0U);
    ASSERT_TRUE(player.Play(longTone));
    std::this_thread::sleep_for(300ms);
    told = 0;
    ASSERT_TRUE(pulse.Unload("B"));
    EXPECT_TRUE(WaitFor([&] { return player.IsActive(longTone) == ChannelState::Stopped; }, 5s));
    EXPECT_TRUE(WaitFor([&] { return told > 0 && !player.GetDeviceInfo(2); }, 5s));
    EXPECT_FALSE(player.CurrentDevice());
    EXPECT_FALSE(player.Play(longTone));
    EXPECT_FALSE(player.Free()) << "closed with its device";
    ASSERT_TRUE(player.Init(1));
    const StreamHandle again = player.CreateStream(dir.File("tone.wav"));
    ASSERT_NE(again, 0U);
    EXPECT_TRUE(player.Play(again));
    EXPECT_TRUE(WaitFor([&] { return player.IsActive(again) == ChannelState::Stopped; }, 10s));

    // Back after another sink came first: listed third, it opens and plays again.
    ASSERT_TRUE(pulse.Load("C", "SinkC"));
    ASSERT_TRUE(pulse.Load("B", "SinkB"));
    ASSERT_TRUE(WaitFor([&] { return Number(player, "SinkB") == 3; }, 5s));
    ASSERT_TRUE(recordB.Restart());
    std::this_thread::sleep_for(2500ms);
    const std::size_t mark = recordB.FramesSoFar();
    ASSERT_TRUE(player.Init(3));
    const StreamHandle back = player.CreateStream(dir.File("tone.wav"));
    ASSERT_TRUE(player.Play(back));
    EXPECT_TRUE(WaitFor([&] { return test::Loudest(recordB.Left(), mark).rms > 0.3; }, 6s));
}

TEST_F(PulseOutput, TheDefaultOutputMovesWithTheDefaultAndAServerRestartIsFoundAgain) {
    ASSERT_TRUE(player.Init(kDefaultDevice));
    ASSERT_TRUE(player.Init(2));
    ASSERT_TRUE(player.SetDevice(kDefaultDevice));
    const StreamHandle longTone = player.CreateStream(dir.File("long.wav"));
    ASSERT_TRUE(player.Play(longTone));
    std::this_thread::sleep_for(300ms);

    // The idle default sink goes: the default output moves to SinkB and plays on.
    ASSERT_TRUE(pulse.Unload("A"));
    EXPECT_TRUE(WaitFor(
        [&] {
            return player.GetDeviceInfo(1) && player.GetDeviceInfo(1)->name == "SinkB" &&
                   !player.GetDeviceInfo(2);
        },
        5s));
    EXPECT_TRUE(
        WaitFor([&] { return (player.GetDeviceInfo(1)->flags & kDeviceDefault) != 0; }, 5s));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(player.IsActive(longTone), ChannelState::Playing);
    EXPECT_EQ(player.CurrentDevice(), kDefaultDevice);
    EXPECT_TRUE(player.SetDevice(1)) << "SinkB, opened as device 2 before, is device 1 now";
    EXPECT_TRUE(player.SetDevice(kDefaultDevice));

    // The server goes and comes back on the same socket: everything is lost, then found again
    // within a few seconds without a new engine.
    told = 0;
    ASSERT_TRUE(pulse.Restart()) << pulse.Log();
    EXPECT_TRUE(WaitFor([&] { return player.IsActive(longTone) == ChannelState::Stopped; }, 5s));
    EXPECT_FALSE(player.CurrentDevice());
    ASSERT_TRUE(WaitFor([&] { return Number(player, "SinkA") == 1; }, 5s)) << pulse.Log();
    EXPECT_GT(told.load(), 0);
    ASSERT_TRUE(player.Init(kDefaultDevice));
    const StreamHandle tone = player.CreateStream(dir.File("tone.wav"));
    ASSERT_TRUE(player.Play(tone));
    EXPECT_TRUE(WaitFor([&] { return engine.FirstSoundTime(tone).has_value(); }, 5s));
}

// Nothing the server holds is dropped when a sound pauses or when the next sound starts right
// after one ended (as repeat does), and an output with nothing to play is corked, so the sink
// may sleep. The tone rises from 0.1 to 0.9 over its second: a stretch dropped shows as a step
// in its level (40 ms, a buffer's worth, is 0.03).
TEST_F(PulseOutput, AnIdleOutputIsCorkedAndPauseOrTheNextSoundDropsNothingQueued) {
    ASSERT_TRUE(test::WriteToneWav(dir.File("rising.wav"),
                                   {.seconds = 1.0, .amplitude = 0.1, .endAmplitude = 0.9}));
    test::SinkRecorder recordB("B", dir.File("B.raw"));
    ASSERT_TRUE(recordB.Started());
    std::this_thread::sleep_for(2500ms);
    ASSERT_TRUE(player.Init(2));
    ASSERT_TRUE(WaitFor([&] { return pulse.SinkInputs().size() == 1; }, 5s));
    EXPECT_TRUE(pulse.AllCorked()) << "opened, never played";

    const std::size_t mark = recordB.FramesSoFar();
    const StreamHandle first = player.CreateStream(dir.File("rising.wav"));
    ASSERT_TRUE(player.Play(first));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(player.Pause(first));
    EXPECT_TRUE(WaitFor([&] { return pulse.AllCorked(); }, 1s)) << "paused";
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(player.Play(first));
    const auto playedOut = [&](StreamHandle s) {
        while (player.IsActive(s) != ChannelState::Stopped) {
            std::this_thread::sleep_for(1ms);
        }
    };
    playedOut(first);
    const StreamHandle again = player.CreateStream(dir.File("rising.wav"));
    ASSERT_TRUE(player.Play(again));
    playedOut(again);
    EXPECT_TRUE(WaitFor([&] { return pulse.AllCorked(); }, 1s)) << "played out";
    std::this_thread::sleep_for(500ms);

    // Levels of 5 ms stretches: the pause is the longest silence, the next sound starts where
    // the level falls back to 0.1.
    const std::vector<float> peaks = test::Peaks(recordB.Left(), mark, 240);
    std::size_t pauseAt = 0;
    std::size_t pauseLength = 0;
    for (std::size_t i = 0, run = 0; i < peaks.size(); ++i) {
        run = peaks[i] < 0.02F ? run + 1 : 0;
        if (run > pauseLength && i + 1 < peaks.size() && peaks[i + 1] >= 0.02F &&
            peaks[i - run] > 0.1F) {
            pauseLength = run;
            pauseAt = i + 1;
        }
    }
    ASSERT_GT(pauseLength, 40U) << "no pause heard";
    const float before = peaks[pauseAt - pauseLength - 2];
    const float after = peaks[pauseAt + 1];
    EXPECT_NEAR(after, before, 0.016) << "resumed with a skip";
    // The second sound starts at the level of 0.1; what came just before it ends near 0.9.
    const auto restart = std::find_if(peaks.begin() + static_cast<std::ptrdiff_t>(pauseAt) + 2,
                                      peaks.end(), [](float p) { return p > 0.05F && p < 0.2F; });
    ASSERT_NE(restart, peaks.end());
    std::vector<float> end;
    std::copy_if(peaks.begin() + static_cast<std::ptrdiff_t>(pauseAt), restart,
                 std::back_inserter(end), [](float p) { return p > 0.02F; });
    ASSERT_GE(end.size(), 6U);
    EXPECT_GT(*std::max_element(end.end() - 6, end.end()), 0.885F) << "the end of the first cut";
}

// Sinks come and go on another thread while this one lists them and plays, as a host's devices
// do during a stream: no call hangs (this test runs under ThreadSanitizer too).
TEST_F(PulseOutput, SinksComingAndGoingNeverHoldUpTheInterfaceThread) {
    ASSERT_TRUE(player.Init(kDefaultDevice));
    std::atomic<bool> done = false;
    std::thread plugger([&] {
        for (int i = 0; i < 8; ++i) {
            pulse.Unload("B");
            pulse.Load("B", "SinkB");
            pulse.Unload("A");
            pulse.Load("A", "SinkA");
            pulse.SetDefault("A");
        }
        done = true;
    });
    int plays = 0;
    while (!done) {
        if (const std::optional<int> b = Number(player, "SinkB"); b && !player.SetDevice(*b)) {
            player.Init(*b);
        }
        if (!player.CurrentDevice()) {
            player.SetDevice(kDefaultDevice) || player.Init(kDefaultDevice);
        }
        const StreamHandle s = player.CreateStream(dir.File("tone.wav"));
        plays += player.Play(s) ? 1 : 0;
        player.FreeStream(s);
        std::this_thread::sleep_for(5ms);
    }
    plugger.join();
    EXPECT_GT(plays, 0);
    EXPECT_GT(told.load(), 8);
    ASSERT_TRUE(WaitFor([&] { return Number(player, "SinkB").has_value(); }, 5s));
}

}  // namespace
}  // namespace vorlune
