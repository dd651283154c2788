#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "AudioTestFiles.h"
#include "Commands.h"
#include "PulseServer.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "audio/AudioPlayer.h"
#include "audio/SdlAudioEngine.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;
using test::WaitFor;

TEST(PulseOutput, PlaysOnTheChosenSinkOnlyAndSurvivesItsRemoval) {
    test::TempDir dir;
    test::PulseServer pulse(dir.Path());
    ASSERT_TRUE(pulse.Ready()) << pulse.Log();
    ASSERT_TRUE(test::WriteToneWav(dir.File("tone.wav"),
                                   {.frequency = 440, .seconds = 1.5, .amplitude = 0.5}));
    ASSERT_TRUE(test::WriteToneWav(dir.File("long.wav"), {.frequency = 660, .seconds = 20}));

    // An idle null sink works in 2-second blocks: record first, then wait before playing.
    test::SinkRecorder recordA("A", dir.File("A.raw"));
    test::SinkRecorder recordB("B", dir.File("B.raw"));
    ASSERT_TRUE(recordA.Started() && recordB.Started());
    std::this_thread::sleep_for(2500ms);

    {
        // The list shows both sinks by name; the default output is SinkA itself.
        SdlAudioEngine engine;
        AudioPlayer player(engine);
        ASSERT_TRUE(player.GetDeviceInfo(1));
        ASSERT_TRUE(player.GetDeviceInfo(2));
        EXPECT_EQ(player.GetDeviceInfo(1)->name, "SinkA");
        EXPECT_EQ(player.GetDeviceInfo(2)->name, "SinkB");
        EXPECT_FALSE(player.GetDeviceInfo(3));
        EXPECT_TRUE(player.GetDeviceInfo(1)->flags & kDeviceDefault);
        EXPECT_TRUE(player.Init());
        EXPECT_EQ(player.CurrentDevice(), 1);
        EXPECT_FALSE(player.Init(1));
        EXPECT_TRUE(player.Free());
    }

    SdlAudioEngine engine;
    AudioPlayer player(engine);
    ASSERT_TRUE(player.Init(2));
    std::this_thread::sleep_for(2500ms);
    const StreamHandle tone = player.CreateStream(dir.File("tone.wav"));
    ASSERT_NE(tone, 0U);
    ASSERT_TRUE(player.Play(tone));
    EXPECT_TRUE(WaitFor([&] { return player.IsActive(tone) == ChannelState::Stopped; }, 10s));
    std::this_thread::sleep_for(2500ms);
    recordA.Stop();
    recordB.Stop();

    const test::Heard onB = test::Loudest(recordB.Left());
    const test::Heard onA = test::Loudest(recordA.Left());
    EXPECT_GT(onB.rms, 0.3) << "a 0.5 sine has an RMS of 0.35";
    EXPECT_NEAR(onB.frequency, 440.0, 25.0);
    EXPECT_LT(onA.rms, 0.001);

    // SinkB goes away while a sound plays on it: the stream ends, the program carries on, and
    // another output opens.
    const StreamHandle longTone = player.CreateStream(dir.File("long.wav"));
    ASSERT_NE(longTone, 0U);
    ASSERT_TRUE(player.Play(longTone));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(pulse.UnplugB());
    EXPECT_TRUE(WaitFor([&] { return player.IsActive(longTone) == ChannelState::Stopped; }, 5s));
    EXPECT_FALSE(player.Play(longTone));
    EXPECT_TRUE(player.Free());
    ASSERT_TRUE(player.Init(1));
    const StreamHandle again = player.CreateStream(dir.File("tone.wav"));
    ASSERT_NE(again, 0U);
    EXPECT_TRUE(player.Play(again));
    EXPECT_TRUE(WaitFor([&] { return player.IsActive(again) == ChannelState::Stopped; }, 10s));
}

}  // namespace
}  // namespace vorlune
