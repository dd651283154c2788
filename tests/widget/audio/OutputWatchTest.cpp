#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <thread>

#include "AudioTestFiles.h"
#include "FakePrompts.h"
#include "QtTestSupport.h"
#include "TempDir.h"
#include "audio/MicrophoneSystem.h"
#include "audio/MixingAudioEngine.h"
#include "audio/OutputKeeper.h"
#include "audio/controls/MonitorControls.h"
#include "audio/controls/OutputDevices.h"
#include "audio/controls/OutputWatch.h"
#include "audio/fake/FakeOutputSystem.h"
#include "base/DataFolder.h"
#include "base/ProfileFile.h"
#include "base/SettingsStore.h"

namespace vorlune {
namespace {

// The widgets below need the application first.
struct WithQApplication {
    WithQApplication() { test::EnsureQApplication(); }
};

class OutputWatchTest : public testing::Test, WithQApplication {
  protected:
    OutputWatchTest() {
        test::WriteFileBytes(dir.File("config.ini"), "");
        test::WriteToneWav(dir.File("a.wav"), {.seconds = 2.0});
        outputs.Plug("b", "Headset");
        settings.Write(setting::kOutputDevice, "2");
        settings.Write(setting::kOutputDeviceName, "Headset");
        apply.setEnabled(false);  // as the window starts it
        player.Init(kDefaultDevice);
        devices.LoadOutputDevices();
    }

    // Devices come and go on the sound system's side: another thread.
    static void OnAnotherThread(const std::function<void()>& change) { std::thread(change).join(); }
    // The queued report reaches the watch.
    static void LetEventsRun() { QTest::qWait(20); }

    test::TempDir dir;
    ProfileFiles files;
    DataFolder data{dir.Path()};
    SettingsStore settings{files, data};
    FakeOutputSystem outputs;
    MixingAudioEngine engine{outputs};
    AudioPlayer player{engine};
    bool mixWanted = false;  // the virtual microphone is on
    OutputKeeper keeper{player, settings, [this] { return mixWanted; }};
    test::FakePrompts prompts;
    QComboBox list;
    QPushButton apply;
    OutputDevices devices{player, settings, prompts, list, apply};
    OutputWatch watch{keeper, player};
    QSignalSpy status{&watch, &OutputWatch::statusText};
    QSignalSpy lost{&watch, &OutputWatch::currentOutputLost};
    QSignalSpy changed{&watch, &OutputWatch::outputsChanged};
};

TEST_F(OutputWatchTest, ReportsTheChosenDeviceLostAndBackAndNoOutputAtAll) {
    EXPECT_TRUE(watch.PrepareOutputs());
    EXPECT_EQ(player.CurrentDevice(), 2);
    EXPECT_EQ(status.count(), 0) << "nothing to say while the chosen device plays";
    QObject::connect(&watch, &OutputWatch::outputsChanged, &devices,
                     &OutputDevices::RelistOutputDevices);

    OnAnotherThread([this] { outputs.Unplug("b"); });
    EXPECT_EQ(status.count(), 0) << "reported on the interface thread, not the audio one";
    LetEventsRun();
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.takeFirst().at(0).toString(),
              QStringLiteral("输出设备已断开，暂用系统默认设备"));
    EXPECT_EQ(lost.count(), 1);
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(player.CurrentDevice(), kDefaultDevice);
    EXPECT_EQ(settings.Read(setting::kOutputDevice), "2");
    // The list shows what the program waits for.
    EXPECT_EQ(list.currentText(), QStringLiteral("Headset(未连接)"));

    // Back under another number: used again, and said so.
    OnAnotherThread([this] {
        outputs.Plug("c", "Speakers");
        outputs.Plug("b", "Headset");
    });
    LetEventsRun();
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.takeFirst().at(0).toString(), QStringLiteral("输出设备已重新连接"));
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(player.CurrentDevice(), 3);
    EXPECT_EQ(list.currentText(), QStringLiteral("Headset"));
    EXPECT_EQ(list.currentIndex(), 2);

    // No sound server at all: a trigger finds no output.
    OnAnotherThread([this] { outputs.SetServerRunning(false); });
    LetEventsRun();
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.takeFirst().at(0).toString(), QStringLiteral("没有可用的音频输出设备"));
    EXPECT_EQ(lost.count(), 2);
    EXPECT_FALSE(watch.PrepareOutputs());
    EXPECT_EQ(status.count(), 0) << "said once";
}

TEST_F(OutputWatchTest, TheListKeepsAChoiceNotYetAppliedAndAppliesByTheNameShown) {
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.currentIndex(), 1);
    list.setCurrentIndex(0);
    emit list.activated(0);
    ASSERT_TRUE(apply.isEnabled());
    // Outputs change while the user has a choice pending: it stays.
    outputs.Plug("c", "Speakers");
    devices.RelistOutputDevices();
    EXPECT_EQ(list.currentIndex(), 0);
    EXPECT_EQ(list.count(), 2);

    // The first device goes before "应用": the name shown is what gets applied, under the
    // number it has now.
    list.setCurrentIndex(1);
    outputs.Unplug("fake");
    apply.click();
    EXPECT_EQ(settings.Read(setting::kOutputDevice), "1");
    EXPECT_EQ(settings.Read(setting::kOutputDeviceName), "Headset");
    EXPECT_EQ(player.CurrentDevice(), 1);
    EXPECT_FALSE(apply.isEnabled());

    // The system default device, after another was applied, applies too; so does a device
    // that is open already as the monitor.
    outputs.Plug("fake", "Fake Output");
    devices.LoadOutputDevices();
    ASSERT_EQ(list.itemText(2), QStringLiteral("Fake Output"));
    ASSERT_TRUE(player.Init(3));
    ASSERT_TRUE(player.SetDevice(1));
    list.setCurrentIndex(2);
    emit list.activated(2);
    apply.click();
    EXPECT_EQ(player.CurrentDevice(), 3);
    EXPECT_EQ(settings.Read(setting::kOutputDeviceName), "Fake Output");
    EXPECT_FALSE(apply.isEnabled());
}

class RecordedMonitorView final : public MonitorView {
  public:
    void ShowMonitorSwitch(bool on) override { switches.push_back(on); }
    void ShowMonitorVolume(int percent) override { volumes.push_back(percent); }
    std::vector<bool> switches;
    std::vector<int> volumes;
};

TEST_F(OutputWatchTest, TheMonitorIsOffUntilSwitchedOnAndKeepsItsDeviceAndVolume) {
    RecordedMonitorView view;
    QComboBox monitorList;
    MonitorControls monitor(player, settings, monitorList, view);
    QObject::connect(&monitor, &MonitorControls::monitorChanged, &watch, &OutputWatch::Refresh);
    monitor.LoadMonitorControls();
    EXPECT_EQ(view.switches, std::vector<bool>{false});
    EXPECT_EQ(view.volumes, std::vector<int>{100});
    ASSERT_EQ(monitorList.count(), 2);
    EXPECT_EQ(monitorList.currentIndex(), -1) << "no monitor device chosen yet";

    // The headset is the output device: the monitor goes on the other one.
    monitorList.setCurrentIndex(0);
    emit monitorList.activated(0);
    EXPECT_EQ(settings.Read(setting::kMonitorDevice), "1");
    EXPECT_EQ(settings.Read(setting::kMonitorDeviceName), "Fake Output");
    EXPECT_FALSE(player.Monitor()) << "still switched off";
    monitor.ToggleMonitor();
    EXPECT_EQ(view.switches.back(), true);
    EXPECT_EQ(settings.Read(setting::kMonitorOn), "1");
    EXPECT_EQ(player.Monitor(), 1);
    EXPECT_EQ(player.CurrentDevice(), 2);

    monitor.OnMonitorVolumeChanged(35);
    EXPECT_EQ(settings.Read(setting::kMonitorVolume), "35");
    EXPECT_EQ(view.volumes.back(), 35);

    // The monitor device goes: marked in its list, left out, the main output plays on.
    QObject::connect(&watch, &OutputWatch::outputsChanged, &monitor,
                     &MonitorControls::LoadMonitorDevices);
    OnAnotherThread([this] { outputs.Unplug("fake"); });
    LetEventsRun();
    EXPECT_EQ(monitorList.currentText(), QStringLiteral("Fake Output(未连接)"));
    EXPECT_FALSE(player.Monitor());
    EXPECT_EQ(player.CurrentDevice(), 1) << "the headset, now first";
    EXPECT_EQ(lost.count(), 0);
    EXPECT_EQ(status.count(), 0);

    monitor.ToggleMonitor();
    EXPECT_EQ(view.switches.back(), false);
    EXPECT_EQ(settings.Read(setting::kMonitorOn), "0");
}

TEST_F(OutputWatchTest, TheVirtualMicrophonesSinkIsNeverListedOrChosenAndLetGoWhenItGoes) {
    const std::string sink(kVirtualMicrophoneSink);
    OnAnotherThread([&] { outputs.Plug(sink, "Vorlune mix"); });
    LetEventsRun();
    ASSERT_EQ(player.GetDeviceInfo(3)->id, sink);
    devices.LoadOutputDevices();
    EXPECT_EQ(list.count(), 2) << "the program's own sink is left out";
    EXPECT_FALSE(player.TwinDevice(TwinOutput::Mix)) << "not on yet";

    mixWanted = true;
    watch.Refresh();
    EXPECT_EQ(player.TwinDevice(TwinOutput::Mix), 3);
    EXPECT_EQ(player.CurrentDevice(), 2) << "the headset stays the output";
    const StreamHandle s = player.CreateStream(dir.File("a.wav"));
    ASSERT_NE(s, 0U);
    const StreamHandle twin = player.TwinOf(s, TwinOutput::Mix);
    ASSERT_NE(twin, 0U);
    ASSERT_TRUE(player.Play(s));
    EXPECT_EQ(player.IsActive(twin), ChannelState::Playing);

    // The server takes the sink down (the microphone went off): the sound plays on, unsaid.
    OnAnotherThread([&] { outputs.Unplug(sink); });
    LetEventsRun();
    EXPECT_EQ(player.IsActive(s), ChannelState::Playing);
    EXPECT_EQ(player.IsActive(twin), ChannelState::Stopped);
    EXPECT_FALSE(player.TwinDevice(TwinOutput::Mix));
    EXPECT_EQ(status.count(), 0);
    EXPECT_EQ(lost.count(), 0);

    // An output saved by its number alone (older files) never lands on the sink.
    OnAnotherThread([&] { outputs.Plug(sink, "Vorlune mix"); });
    LetEventsRun();
    settings.Write(setting::kOutputDevice, "3");
    settings.Write(setting::kOutputDeviceName, "");
    watch.Refresh();
    EXPECT_EQ(player.CurrentDevice(), kDefaultDevice);
    EXPECT_EQ(player.TwinDevice(TwinOutput::Mix), 3);
}

}  // namespace
}  // namespace vorlune
