#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AudioTestFiles.h"
#include "Commands.h"
#include "PipeWireServer.h"
#include "PulseServer.h"
#include "SinkRecorder.h"
#include "SoundServer.h"
#include "TempDir.h"
#include "audio/pulse/PulseMicrophoneSystem.h"

// The virtual microphone made by the program's PulseMicrophoneSystem on a private PulseAudio
// and on a private PipeWire with pipewire-pulse, with a 300 Hz stand-in microphone.
namespace vorlune {
namespace {

using namespace std::chrono_literals;
using test::WaitFor;
using Clock = std::chrono::steady_clock;

const std::string kOurs(kVirtualMicrophoneSource);
const std::string kMix(kVirtualMicrophoneSink);

// On, with the voice of `microphone` (the default one when empty).
VirtualMicrophoneWish On(const std::string& microphone = "", bool makeDefault = false) {
    VirtualMicrophoneWish wish;
    wish.on = true;
    wish.microphone = microphone;
    wish.makeDefault = makeDefault;
    return wish;
}

// What the server says of its default capture device, for failure messages.
std::string DefaultReport() {
    return test::CommandOutput(
        "pactl info | grep Default; pw-metadata 0 2>/dev/null | grep source");
}

// The program's modules and devices.
std::vector<std::string> MarkedModules() {
    return test::ModulesWith(std::string(kVirtualMicrophoneMark));
}

bool HasModule(const std::string& text) {
    const std::vector<std::string> marked = MarkedModules();
    return std::any_of(marked.begin(), marked.end(),
                       [&](const std::string& m) { return m.find(text) != std::string::npos; });
}

std::vector<std::string> MarkedDevices(const std::string& kind) {
    return test::DevicesWith(kind, std::string(kVirtualMicrophoneMark));
}

class VirtualMicrophone : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (GetParam() == "PipeWire") {
            server = std::make_unique<test::PipeWireServer>(dir.Path());
        } else {
            server = std::make_unique<test::PulseServer>(dir.Path());
        }
        ASSERT_TRUE(server->Ready()) << server->Log();
        ASSERT_TRUE(server->AddSineMicrophone("mic", 300));
        ASSERT_TRUE(test::Run("pactl set-default-source mic"));
        ASSERT_TRUE(test::WriteToneWav(
            dir.File("1k.wav"),
            {.frequency = 1000, .seconds = 1.0, .rate = 48000, .amplitude = 0.4}));
    }

    std::unique_ptr<PulseMicrophoneSystem> MakeSystem() {
        auto system = std::make_unique<PulseMicrophoneSystem>();
        system->SetChangeListener([this] { ++told; });
        return system;
    }

    // Whether the virtual microphone is on within 5 s of `wish`.
    static bool ApplyUntilOn(MicrophoneSystem& system, const VirtualMicrophoneWish& wish) {
        system.Apply(wish);
        return WaitFor([&] { return system.Status().state == VirtualMicrophoneState::On; }, 5s);
    }

    test::TempDir dir;
    std::unique_ptr<test::SoundServer> server;
    std::atomic<int> told = 0;
};

TEST_P(VirtualMicrophone, OffersAMicrophoneWithTheVoiceAndTheSoundsAndLeavesNothing) {
    auto system = MakeSystem();
    ASSERT_TRUE(system->Microphones().connected);
    EXPECT_EQ(system->Microphones().defaultId, "mic");
    ASSERT_EQ(system->Microphones().microphones.size(), 1U) << "no monitors";
    EXPECT_EQ(system->Microphones().microphones[0].id, "mic");

    // On: a capture device of the class of a sound card, not a monitor, not listed as one of
    // the real microphones.
    ASSERT_TRUE(ApplyUntilOn(*system, On())) << system->Status().error << "\n" << server->Log();
    EXPECT_GT(told.load(), 0);
    const std::string report = test::SourceReport(kOurs);
    EXPECT_NE(report.find("Description: Vorlune 虚拟麦克风\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Monitor of Sink: n/a"), std::string::npos) << report;
    EXPECT_NE(report.find("device.class = \"sound\""), std::string::npos) << report;
    if (GetParam() == "PipeWire") {
        EXPECT_NE(report.find("media.class = \"Audio/Source\""), std::string::npos) << report;
    }
    EXPECT_EQ(system->Microphones().microphones.size(), 1U);
    EXPECT_TRUE(HasModule("module-loopback\tsource=mic "));

    // It carries the voice, and a sound played into its sink joins the voice.
    test::SinkRecorder recording(test::SinkRecorder::Source{kOurs}, dir.File("ours.raw"));
    std::this_thread::sleep_for(2500ms);
    const auto [voice, none] = test::ToneWith(recording.Left(), 0, 300, 1000);
    EXPECT_GT(voice, 0.05) << "the voice";
    EXPECT_LT(none, 0.01);
    const std::size_t mark = recording.FramesSoFar();
    ASSERT_TRUE(test::Run("paplay -d " + kMix + " " + dir.File("1k.wav")));
    std::this_thread::sleep_for(300ms);
    const auto [sound, voiceToo] = test::ToneWith(recording.Left(), mark, 1000, 300);
    EXPECT_GT(sound, 0.3) << "the sound";
    EXPECT_GT(voiceToo, 0.05) << "the voice under the sound";

    // The microphone goes: the virtual microphone stays on without it, and takes it back when
    // it returns.
    ASSERT_TRUE(test::UnloadModulesWith("source_name=mic "));
    EXPECT_TRUE(WaitFor([] { return !HasModule("module-loopback"); }));
    EXPECT_EQ(system->Status().state, VirtualMicrophoneState::On);
    ASSERT_TRUE(server->AddSineMicrophone("mic", 300));
    EXPECT_TRUE(WaitFor([] { return HasModule("module-loopback\tsource=mic "); }));

    // Off: nothing of the program's is left.
    system->Apply({});
    EXPECT_TRUE(WaitFor([&] { return system->Status().state == VirtualMicrophoneState::Off; }));
    EXPECT_TRUE(WaitFor([] { return MarkedModules().empty(); })) << MarkedModules().front();
    EXPECT_TRUE(MarkedDevices("sources").empty());
    EXPECT_TRUE(MarkedDevices("sinks").empty());
}

TEST_P(VirtualMicrophone, LeftOversGoFirstTheDefaultComesBackAndAServerRestartIsSurvived) {
    // What a killed program left: its modules, with its source the default.
    ASSERT_TRUE(test::Run("pactl load-module module-null-sink sink_name=" + kMix + " >/dev/null"));
    ASSERT_TRUE(test::Run("pactl load-module module-remap-source master=" + kMix +
                          ".monitor source_name=" + kOurs +
                          " \"source_properties='device.class=sound "
                          "vorlune.previous_default_source=mic'\" >/dev/null"));
    ASSERT_TRUE(
        test::Run("pactl load-module module-loopback source=mic sink=" + kMix + " >/dev/null"));
    ASSERT_TRUE(test::Run("pactl set-default-source " + kOurs));
    const std::vector<std::string> left = MarkedModules();
    ASSERT_EQ(left.size(), 3U);

    // A new start removes them before making its own: one sink and one source of that name,
    // none renamed beside the old ones, and the default given back.
    auto system = MakeSystem();
    ASSERT_TRUE(ApplyUntilOn(*system, On())) << system->Status().error;
    EXPECT_TRUE(WaitFor([] { return test::DefaultSource() == "mic"; })) << DefaultReport();
    EXPECT_EQ(MarkedDevices("sinks"), std::vector<std::string>{kMix});
    EXPECT_EQ(MarkedDevices("sources"), (std::vector<std::string>{kMix + ".monitor", kOurs}));
    const std::vector<std::string> made = MarkedModules();
    EXPECT_EQ(made.size(), 3U);
    for (const std::string& old : left) {
        EXPECT_EQ(std::find(made.begin(), made.end(), old), made.end()) << old;
    }

    // The default microphone while asked, and the previous one back after.
    ASSERT_TRUE(ApplyUntilOn(*system, On("", true)));
    EXPECT_TRUE(WaitFor([] { return test::DefaultSource() == kOurs; })) << DefaultReport();
    EXPECT_EQ(system->Microphones().defaultId, "mic") << "the one it replaced";
    system->Apply(On());
    EXPECT_TRUE(WaitFor([] { return test::DefaultSource() == "mic"; })) << DefaultReport();
    system->Apply(On("", true));
    EXPECT_TRUE(WaitFor([] { return test::DefaultSource() == kOurs; })) << DefaultReport();

    // The server goes and comes back: made again within a few seconds.
    ASSERT_TRUE(server->Restart()) << server->Log();
    ASSERT_TRUE(server->AddSineMicrophone("mic", 300));
    EXPECT_TRUE(WaitFor(
        [&] {
            return system->Status().state == VirtualMicrophoneState::On &&
                   !MarkedDevices("sources").empty() && HasModule("source=mic ");
        },
        5s))
        << server->Log();
    EXPECT_TRUE(WaitFor([] { return test::DefaultSource() == kOurs; })) << DefaultReport();

    // The program ends: what it made goes, and the default comes back, before it has ended.
    const auto ending = Clock::now();
    system.reset();
    const auto ended = Clock::now() - ending;
    EXPECT_LT(ended, PulseMicrophoneSystem::kEndingLimit + 200ms);
    EXPECT_TRUE(MarkedModules().empty());
    EXPECT_EQ(test::DefaultSource(), "mic");
}

INSTANTIATE_TEST_SUITE_P(Servers, VirtualMicrophone, testing::Values("PulseAudio", "PipeWire"),
                         [](const auto& info) { return info.param; });

// A server without one of the modules, as a minimal PulseAudio may be: a clear failure naming
// it, and nothing left half-made.
class VirtualMicrophoneOnAPoorServer : public testing::TestWithParam<std::string> {};

TEST_P(VirtualMicrophoneOnAPoorServer, FailsNamingTheMissingModule) {
    test::TempDir dir;
    test::PulseServer pulse(dir.Path(), {GetParam()});
    ASSERT_TRUE(pulse.Ready()) << pulse.Log();
    ASSERT_TRUE(pulse.AddSineMicrophone("mic", 300));
    PulseMicrophoneSystem system;
    system.Apply(On());
    ASSERT_TRUE(
        WaitFor([&] { return system.Status().state == VirtualMicrophoneState::Failed; }, 5s));
    // PulseAudio answers "initialisation failed" for a module it lacks as for one that failed.
    EXPECT_EQ(system.Status().error, "声音服务器无法加载 " + GetParam());
    EXPECT_TRUE(WaitFor([] { return MarkedModules().empty(); })) << MarkedModules().front();
}

INSTANTIATE_TEST_SUITE_P(Lacking, VirtualMicrophoneOnAPoorServer,
                         testing::Values("module-remap-source", "module-loopback"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace vorlune
