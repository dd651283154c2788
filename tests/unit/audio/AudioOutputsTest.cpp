// Outputs that come and go, on fake outputs: the engine's devices as they are plugged in and
// pulled out, the player's monitor output, and the keeper that finds the chosen device again.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "AudioTestFiles.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "audio/AudioPlayer.h"
#include "audio/MixingAudioEngine.h"
#include "audio/OutputKeeper.h"
#include "audio/fake/FakeOutputSystem.h"
#include "base/DataFolder.h"
#include "base/ProfileFile.h"
#include "base/SettingsStore.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;

using test::WaitFor;

class Outputs : public testing::Test {
  protected:
    Outputs() : Outputs({.periodTime = 2ms, .record = true}) {}
    explicit Outputs(FakeOutputSystem::Options options) : outputs(options) {
        outputs.Plug("b", "Headset");
        outputs.SetChangeListener([this] { ++changes; });
    }

    std::string Tone(const std::string& name, double seconds, double amplitude = 0.8) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(test::WriteToneWav(path, {.seconds = seconds, .amplitude = amplitude}));
        return path;
    }
    // The 440 Hz level of what device `id` got, from `from` samples on.
    double LevelOn(const std::string& id, std::size_t from = 2000) {
        const std::vector<float> played = outputs.Played(id);
        if (played.size() < from + 4096) {
            return 0.0;
        }
        return test::ToneAmplitude(played.data() + from, 4096, 440.0, 44100);
    }

    // Plays a stream that fits in its buffer (0.45 s, say) on stepped outputs: decoded to its
    // end first, so no period waits on the decoder thread, then `periods` periods on each
    // output. What the devices get then depends on the test alone, never on timing.
    void PlayDecoded(AudioPlayer& player, const MixingAudioEngine& engine, StreamHandle stream,
                     std::size_t periods) {
        const StreamHandle twin = player.MonitorStreamOf(stream);
        ASSERT_TRUE(WaitFor([&] {
            return engine.FullyDecoded(stream) && (twin == 0 || engine.FullyDecoded(twin));
        }));
        ASSERT_TRUE(player.Play(stream));
        outputs.Step(periods);
    }

    test::TempDir dir;
    FakeOutputSystem outputs;
    std::atomic<int> changes = 0;
};

TEST_F(Outputs, AnUnpluggedDeviceEndsItsStreamsAndComesBackUnderItsNewNumber) {
    MixingAudioEngine engine(outputs);
    AudioPlayer player(engine);
    std::atomic<int> told = 0;
    player.SetDeviceListener([&] { ++told; });
    ASSERT_EQ(player.GetDeviceInfo(2)->name, "Headset");
    ASSERT_TRUE(player.Init(kDefaultDevice));
    ASSERT_TRUE(player.Init(2));
    const StreamHandle s = player.CreateStream(Tone("long.wav", 5.0));
    ASSERT_TRUE(player.Play(s));
    ASSERT_TRUE(WaitFor([&] { return !outputs.Played("b").empty(); }));

    // Pulled out on another thread, as the sound server reports it.
    std::thread([&] { outputs.Unplug("b"); }).join();
    EXPECT_GE(told.load(), 1);
    EXPECT_EQ(player.IsActive(s), ChannelState::Stopped);
    EXPECT_FALSE(player.CurrentDevice()) << "a lost output is current no more";
    EXPECT_FALSE(player.Play(s));
    EXPECT_FALSE(player.FreeStream(s)) << "closed with its output";
    EXPECT_EQ(player.CreateStream(Tone("a.wav", 0.2)), 0U);
    EXPECT_FALSE(player.GetDeviceInfo(2));
    EXPECT_EQ(outputs.OpenOutputs(), 1) << "only the default output is left open";
    const std::size_t heard = outputs.Played("b").size();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(outputs.Played("b").size(), heard) << "nothing more reaches the lost device";

    // Back, after another device came first: it is listed third and opens again.
    outputs.Plug("c", "Speakers");
    outputs.Plug("b", "Headset");
    ASSERT_EQ(player.GetDeviceInfo(3)->name, "Headset");
    EXPECT_FALSE(player.GetDeviceInfo(3)->flags & kDeviceOpen);
    EXPECT_TRUE(player.Init(3));
    EXPECT_EQ(player.CurrentDevice(), 3);
    const StreamHandle again = player.CreateStream(Tone("a.wav", 0.2));
    ASSERT_NE(again, 0U);
    EXPECT_TRUE(player.Play(again));
    EXPECT_TRUE(WaitFor([&] { return outputs.Played("b").size() > heard; }));
}

TEST_F(Outputs, TheDefaultOutputFollowsTheDefaultDeviceAndEndsOnlyWithTheLastDevice) {
    MixingAudioEngine engine(outputs);
    AudioPlayer player(engine);
    ASSERT_TRUE(player.Init(kDefaultDevice));
    const StreamHandle s = player.CreateStream(Tone("long.wav", 5.0));
    ASSERT_TRUE(player.Play(s));
    ASSERT_TRUE(WaitFor([&] { return !outputs.Played("fake").empty(); }));

    outputs.Unplug("fake");  // the default goes: "b" is the default now
    EXPECT_EQ(player.IsActive(s), ChannelState::Playing);
    EXPECT_EQ(player.CurrentDevice(), kDefaultDevice);
    EXPECT_TRUE(WaitFor([&] { return !outputs.Played("b").empty(); }));
    EXPECT_TRUE(player.GetDeviceInfo(1)->flags & kDeviceDefault);

    outputs.Unplug("b");
    EXPECT_EQ(player.IsActive(s), ChannelState::Stopped);
    EXPECT_FALSE(player.CurrentDevice());
    EXPECT_FALSE(player.GetDeviceInfo(1));
    EXPECT_FALSE(player.Init(kDefaultDevice)) << "no device at all";
    outputs.Plug("b", "Headset");
    EXPECT_TRUE(player.Init(kDefaultDevice));
}

TEST_F(Outputs, NumbersKeepToTheListAsItWasLastRead) {
    MixingAudioEngine engine(outputs);
    AudioPlayer player(engine);
    ASSERT_EQ(player.GetDeviceInfo(2)->name, "Headset");
    // The first device goes between the walk and the choice: number 2 still means the headset
    // the walk saw, not whatever is second now.
    outputs.Unplug("fake");
    outputs.Plug("c", "Speakers");
    ASSERT_TRUE(player.Init(2));
    const StreamHandle s = player.CreateStream(Tone("a.wav", 0.3));
    ASSERT_TRUE(player.Play(s));
    EXPECT_TRUE(WaitFor([&] { return player.IsActive(s) == ChannelState::Stopped; }));
    EXPECT_GT(LevelOn("b"), 0.7);
    EXPECT_TRUE(outputs.Played("c").empty());
    // A walk from the start reads the list afresh.
    EXPECT_EQ(player.GetDeviceInfo(1)->name, "Headset");
    EXPECT_EQ(player.CurrentDevice(), 1);
    EXPECT_EQ(player.GetDeviceInfo(2)->name, "Speakers");
}

TEST_F(Outputs, AServerThatGoesLosesEveryOutputAndOneThatComesBackOpensAgain) {
    MixingAudioEngine engine(outputs);
    AudioPlayer player(engine);
    ASSERT_TRUE(player.Init(kDefaultDevice));
    ASSERT_TRUE(player.Init(2));
    outputs.SetServerRunning(false);
    EXPECT_FALSE(player.CurrentDevice());
    EXPECT_FALSE(player.GetDeviceInfo(1));
    EXPECT_FALSE(player.SetDevice(kDefaultDevice));
    EXPECT_FALSE(player.Init(kDefaultDevice));
    EXPECT_EQ(outputs.OpenOutputs(), 0) << "both closed at the first look";
    outputs.SetServerRunning(true);
    EXPECT_TRUE(player.Init(kDefaultDevice));
    EXPECT_EQ(player.GetDeviceInfo(1)->name, "Fake Output");
}

// Devices come and go on their own thread while the interface thread lists them and plays: no
// call waits for the other thread beyond a hand-off, so this ends, and nothing races (this test
// runs under ThreadSanitizer too).
TEST_F(Outputs, DevicesComingAndGoingNeverStopTheInterfaceThread) {
    MixingAudioEngine engine(outputs, {.periodFrames = 256});
    AudioPlayer player(engine);
    player.SetDeviceListener([&] { ++changes; });
    const std::string tone = Tone("a.wav", 0.05);
    std::atomic<bool> done = false;
    std::thread plugger([&] {
        for (int i = 0; i < 300; ++i) {
            outputs.Unplug("b");
            outputs.Plug("b", "Headset");
            if (i % 50 == 25) {
                outputs.SetServerRunning(false);
                outputs.SetServerRunning(true);
                outputs.Plug("b", "Headset");
            }
            std::this_thread::sleep_for(200us);
        }
        done = true;
    });
    int played = 0;
    while (!done) {
        for (int n = 1; player.GetDeviceInfo(n); ++n) {
        }
        if (!player.SetDevice(2) && !player.Init(2)) {
            player.SetDevice(kDefaultDevice) || player.Init(kDefaultDevice);
        }
        const StreamHandle s = player.CreateStream(tone);
        if (s != 0 && player.Play(s)) {
            ++played;
        }
        static_cast<void>(player.IsActive(s));  // asked like the end-of-sound monitor asks
        player.FreeStream(s);
        if (played % 7 == 3) {
            player.Free();
        }
    }
    plugger.join();
    EXPECT_GT(played, 0);
    EXPECT_GE(changes.load(), 600);
}

// Outputs that play a period only when the test steps them.
class SteppedOutputs : public Outputs {
  protected:
    SteppedOutputs() : Outputs({.periodTime = std::nullopt, .record = true, .stepped = true}) {}
};

TEST_F(SteppedOutputs, TheMonitorPlaysEveryStreamASecondTimeAtItsOwnLevel) {
    MixingAudioEngine engine(outputs);
    AudioPlayer player(engine);
    ASSERT_TRUE(player.Init(2));  // the headset is the monitor
    ASSERT_TRUE(player.Init(1));
    player.SetMonitor(2);
    player.SetMonitorLevel(0.5F);

    const StreamHandle s = player.CreateStream(Tone("short.wav", 0.45));
    ASSERT_NE(s, 0U);
    const StreamHandle twin = player.MonitorStreamOf(s);
    ASSERT_NE(twin, 0U);
    EXPECT_EQ(player.CurrentDevice(), 1) << "the current device stays";
    EXPECT_TRUE(player.SetChannelVolume(s, 0.8F));
    PlayDecoded(player, engine, s, 12);
    EXPECT_EQ(player.IsActive(twin), ChannelState::Playing);
    EXPECT_NEAR(LevelOn("fake"), 0.64, 0.02);
    EXPECT_NEAR(LevelOn("b"), 0.32, 0.02);

    // Pause, resume and the monitor's own level reach the twin; the state is the first's.
    EXPECT_TRUE(player.Pause(s));
    EXPECT_EQ(player.IsActive(twin), ChannelState::Paused);
    player.SetMonitorLevel(0.25F);
    const std::size_t mark = outputs.Played("b").size();
    EXPECT_TRUE(player.Play(s));
    EXPECT_EQ(player.IsActive(twin), ChannelState::Playing);
    outputs.Step(12);
    EXPECT_NEAR(LevelOn("b", mark + 2000), 0.16, 0.02);

    // The monitor device goes: the first plays on.
    outputs.Unplug("b");
    EXPECT_EQ(player.IsActive(s), ChannelState::Playing);
    EXPECT_EQ(player.IsActive(twin), ChannelState::Stopped);
    EXPECT_TRUE(player.SetChannelVolume(s, 0.5F));
    EXPECT_TRUE(player.FreeStream(s));
    EXPECT_EQ(player.MonitorStreamOf(s), 0U);

    // Stop and free end both; no twin on the current device itself.
    outputs.Plug("b", "Headset");
    ASSERT_EQ(player.GetDeviceInfo(2)->name, "Headset");
    ASSERT_TRUE(player.Init(2));
    ASSERT_TRUE(player.SetDevice(1));
    const StreamHandle t = player.CreateStream(Tone("a.wav", 1.0));
    ASSERT_TRUE(player.Play(t));
    EXPECT_TRUE(player.Stop(t));
    EXPECT_EQ(player.IsActive(player.MonitorStreamOf(t)), ChannelState::Stopped);
    const StreamHandle u = player.CreateStream(Tone("a.wav", 1.0));
    const StreamHandle uTwin = player.MonitorStreamOf(u);
    ASSERT_TRUE(player.Play(u));
    EXPECT_TRUE(player.Free()) << "closing the current device ends the sound on both";
    EXPECT_EQ(player.IsActive(uTwin), ChannelState::Stopped);
    EXPECT_EQ(player.MonitorStreamOf(u), 0U);
    ASSERT_TRUE(player.SetDevice(2)) << "still open as the monitor";
    player.SetMonitor(2);
    EXPECT_EQ(player.MonitorStreamOf(player.CreateStream(Tone("a.wav", 1.0))), 0U);
}

TEST_F(SteppedOutputs, ALevelledStreamKeepsItsFactorUnderEveryVolumeOnBothDevices) {
    MixingAudioEngine engine(outputs);
    AudioPlayer player(engine);
    ASSERT_TRUE(player.Init(2));
    ASSERT_TRUE(player.Init(1));
    player.SetMonitor(2);
    player.SetMonitorLevel(0.5F);
    player.SetLevelling(
        [](const std::string& path) { return path.ends_with("quiet.wav") ? 2.0F : 1.0F; });

    EXPECT_EQ(player.LevelOf(player.CreateStream(Tone("loud.wav", 0.45))), 1.0F);
    const StreamHandle s = player.CreateStream(Tone("quiet.wav", 0.45, 0.2));
    EXPECT_EQ(player.LevelOf(s), 2.0F);
    EXPECT_TRUE(player.SetChannelVolume(s, 0.8F));
    PlayDecoded(player, engine, s, 12);
    EXPECT_NEAR(LevelOn("fake"), 0.32, 0.02);
    EXPECT_NEAR(LevelOn("b"), 0.16, 0.02);
    EXPECT_TRUE(player.FreeStream(s));
    EXPECT_EQ(player.LevelOf(s), 1.0F);
}

TEST(SavedDevice, IsFoundByTheServersNameThenItsNameAndByItsNumberOnlyWithoutEither) {
    std::vector<DeviceInfo> devices(4);
    for (std::size_t i = 0;
         const auto& [name, id] :
         {std::pair{"Speakers", "s"}, {"Headset", "h1"}, {"Headset", "h2"}, {"Virtual", "v"}}) {
        devices[i].name = name;
        devices[i++].id = id;
    }
    EXPECT_EQ(FindSavedDevice({"Headset", "2", "h2"}, devices), 3) << "the second of two alike";
    EXPECT_EQ(FindSavedDevice({"Headset", "3", "gone"}, devices), 2) << "the name when the id went";
    EXPECT_EQ(FindSavedDevice({"Headset", "4", ""}, devices), 2);
    EXPECT_EQ(FindSavedDevice({"Gone", "2", ""}, devices), std::nullopt) << "no number counts";
    EXPECT_EQ(FindSavedDevice({"", "2", "gone"}, devices), std::nullopt);
    EXPECT_EQ(FindSavedDevice({"", "3", ""}, devices), 3);
    EXPECT_EQ(FindSavedDevice({"", "5", ""}, devices), std::nullopt);
    EXPECT_EQ(FindSavedDevice({"", "x", ""}, devices), std::nullopt);
    EXPECT_EQ(FindSavedDevice({"", "-1", ""}, devices), kDefaultDevice);
    EXPECT_EQ(FindSavedDevice({"", "", ""}, devices), kDefaultDevice);
}

class Keeper : public SteppedOutputs {
  protected:
    Keeper() { test::WriteFileBytes(dir.File("config.ini"), ""); }
    void Save(const SettingKey& key, const std::string& value) { settings.Write(key, value); }

    ProfileFiles files;
    DataFolder data{dir.Path()};
    SettingsStore settings{files, data};
    MixingAudioEngine engine{outputs};
    AudioPlayer player{engine};
    OutputKeeper keeper{player, settings};
};

TEST_F(Keeper, LosesAndRegainsTheChosenDeviceByNameWithoutSavingTheDefault) {
    using Main = OutputKeeper::Main;
    Save(setting::kOutputDevice, "1");  // a stale number: the name decides
    Save(setting::kOutputDeviceName, "Headset");
    OutputKeeper::Change change = keeper.Update();
    EXPECT_EQ(change.after, Main::Chosen);
    EXPECT_EQ(player.CurrentDevice(), 2);

    outputs.Unplug("b");
    change = keeper.Update();
    EXPECT_TRUE(change.currentLost);
    EXPECT_EQ(change.before, Main::Chosen);
    EXPECT_EQ(change.after, Main::Fallback);
    EXPECT_EQ(player.CurrentDevice(), kDefaultDevice);
    EXPECT_EQ(settings.Read(setting::kOutputDevice), "1") << "the fallback is never saved";
    EXPECT_EQ(settings.Read(setting::kOutputDeviceName), "Headset");
    change = keeper.Update();
    EXPECT_FALSE(change.currentLost);
    EXPECT_EQ(change.before, Main::Fallback);

    outputs.Plug("c", "Speakers");
    outputs.Plug("b", "Headset");
    change = keeper.Update();
    EXPECT_EQ(change.after, Main::Chosen);
    EXPECT_EQ(player.CurrentDevice(), 3);
    EXPECT_EQ(outputs.OpenOutputs(), 1) << "the default output is closed beside the chosen one";

    // Gone and back before the list is read again (a headset switching profiles): the list
    // reads as before, and still the chosen device is taken back rather than held as failed.
    outputs.Unplug("b");
    outputs.Plug("b", "Headset");
    change = keeper.Update();
    EXPECT_TRUE(change.currentLost);
    EXPECT_EQ(change.after, Main::Chosen);
    EXPECT_EQ(player.CurrentDevice(), 3);

    // Nothing at all, then the server back: the chosen device again.
    outputs.SetServerRunning(false);
    change = keeper.Update();
    EXPECT_TRUE(change.currentLost);
    EXPECT_EQ(change.after, Main::None);
    EXPECT_FALSE(player.CurrentDevice());
    outputs.SetServerRunning(true);
    EXPECT_EQ(keeper.Update().after, Main::Fallback);
    outputs.Plug("b", "Headset");
    EXPECT_EQ(keeper.Update().after, Main::Chosen);
    EXPECT_EQ(player.CurrentDevice(), 2);

    // A device whose outputs fail at once is not opened again and again while the list stays.
    outputs.FailOpens("c");
    outputs.Plug("c", "Speakers");
    Save(setting::kOutputDeviceName, "Speakers");
    const int before = changes;
    for (int i = 0; i < 4; ++i) {
        keeper.Update();
    }
    EXPECT_EQ(keeper.State(), Main::Fallback);
    EXPECT_EQ(changes - before, 1) << "opened once";
    outputs.Unplug("c");

    // Without a name the number counts; without either the default plays.
    Save(setting::kOutputDeviceName, "");
    EXPECT_EQ(keeper.Update().after, Main::Chosen);
    EXPECT_EQ(player.CurrentDevice(), 1);
    Save(setting::kOutputDevice, "");
    EXPECT_EQ(keeper.Update().after, Main::Chosen);
    EXPECT_EQ(player.CurrentDevice(), kDefaultDevice);
}

TEST_F(Keeper, PutsTheMonitorOnItsDeviceOnlyWhenItIsOnThereAndAnotherDevice) {
    outputs.Plug("c", "Speakers");
    Save(setting::kOutputDeviceName, "Speakers");
    Save(setting::kMonitorDeviceName, "Headset");
    keeper.Update();
    EXPECT_FALSE(keeper.MonitorPlays()) << "off by default";
    Save(setting::kMonitorOn, "1");
    keeper.Update();
    EXPECT_TRUE(keeper.MonitorPlays());
    EXPECT_EQ(player.Monitor(), 2);
    EXPECT_EQ(player.CurrentDevice(), 3) << "the main device stays current";

    const StreamHandle s = player.CreateStream(Tone("a.wav", 0.45));
    player.SetChannelVolume(s, 1.0F);
    PlayDecoded(player, engine, s, 12);
    EXPECT_NEAR(LevelOn("b"), 0.8, 0.02) << "a missing volume reads as 100";
    Save(setting::kMonitorVolume, "40");
    keeper.Update();
    const std::size_t mark = outputs.Played("b").size();
    outputs.Step(12);
    EXPECT_NEAR(LevelOn("b", mark + 2000), 0.32, 0.02);

    // A missing monitor is left out, and the main device plays on.
    outputs.Unplug("b");
    const OutputKeeper::Change change = keeper.Update();
    EXPECT_FALSE(change.currentLost);
    EXPECT_EQ(change.after, OutputKeeper::Main::Chosen);
    EXPECT_FALSE(keeper.MonitorPlays());
    EXPECT_EQ(player.IsActive(s), ChannelState::Playing);

    // The monitor on the main device itself, or on the default device the default output plays
    // on, would only double the sound.
    outputs.Plug("b", "Headset");
    Save(setting::kMonitorDeviceName, "Speakers");
    keeper.Update();
    EXPECT_FALSE(keeper.MonitorPlays());
    Save(setting::kOutputDeviceName, "");
    Save(setting::kMonitorDeviceName, "Fake Output");
    keeper.Update();
    EXPECT_EQ(player.CurrentDevice(), kDefaultDevice);
    EXPECT_FALSE(keeper.MonitorPlays());
    Save(setting::kMonitorDeviceName, "Headset");
    keeper.Update();
    EXPECT_TRUE(keeper.MonitorPlays());
    ASSERT_EQ(player.GetDeviceInfo(3)->name, "Headset") << "plugged in again last";
    EXPECT_TRUE(player.GetDeviceInfo(3)->flags & kDeviceOpen);
    Save(setting::kMonitorOn, "0");
    keeper.Update();
    EXPECT_FALSE(keeper.MonitorPlays());
    EXPECT_FALSE(player.GetDeviceInfo(3)->flags & kDeviceOpen) << "closed once switched off";
    EXPECT_EQ(player.CurrentDevice(), kDefaultDevice);

    // Two devices alike: the one saved by the server's name is the monitor. One whose outputs
    // fail at once gets opened once, not again at every look while the list stays.
    outputs.Plug("d", "Headset");
    Save(setting::kMonitorOn, "1");
    Save(setting::kMonitorDeviceId, "d");
    keeper.Update();
    ASSERT_EQ(player.Monitor(), 4);
    outputs.FailOpens("b");
    Save(setting::kMonitorDeviceId, "b");
    const int before = changes;
    for (int i = 0; i < 4; ++i) {
        keeper.Update();
    }
    EXPECT_FALSE(keeper.MonitorPlays());
    EXPECT_EQ(changes - before, 1) << "opened once";
    outputs.Unplug("b");
    outputs.Plug("b", "Headset");
    const int replugged = changes;
    keeper.Update();
    EXPECT_EQ(changes - replugged, 1) << "tried again once the list changed";
}

}  // namespace
}  // namespace vorlune
