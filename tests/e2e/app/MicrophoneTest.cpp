// The built program's virtual microphone on a private PulseAudio and on a private PipeWire with
// pipewire-pulse: a 300 Hz stand-in microphone and a 1 kHz slot together on the virtual
// microphone, the slot alone on the main sink; the program killed and started again; the server
// restarted; the switch on the settings page; the default microphone set and given back when the
// program ends.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AudioTestFiles.h"
#include "Commands.h"
#include "MainWindowPlaces.h"
#include "PipeWireServer.h"
#include "ProgramUnderTest.h"
#include "PulseServer.h"
#include "SinkRecorder.h"
#include "SoundServer.h"
#include "TempDir.h"
#include "XvfbDisplay.h"
#include "audio/MicrophoneSystem.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;
using test::WaitFor;

const std::string kMark(kVirtualMicrophoneMark);
const std::string kOurs(kVirtualMicrophoneSource);

constexpr char kSlotList[] = "[音效1]\n名称=Tone\ndz=音效1｜[取运行目录]\\Sounds\\Common\\1k.wav\n";
const test::Point kToneSlot = test::SlotButtonCentre(0, 0, 1);
const std::string kMicrophoneOn =
    std::string(test::kPlainConfig) + "[虚拟麦克风]\n值=1\n设为默认麦克风=1\n";

// The sink, the source remapped from its monitor and the loopback from the microphone: once each.
bool OursOffered() {
    return test::DevicesWith("sources", kMark).size() == 2 &&
           test::ModulesWith(kMark).size() == 3 && !test::ModulesWith("source=voice ").empty();
}

// Whether a click on the slot is heard on `recorder` as the 1 kHz tone with the voice under it.
void ExpectClickHeardWithVoice(const test::ProgramUnderTest& program,
                               const test::SinkRecorder& recorder) {
    const std::size_t mark = recorder.FramesSoFar();
    ASSERT_TRUE(program.Click(kToneSlot));
    std::this_thread::sleep_for(1500ms);
    const auto [tone, voice] = test::ToneWith(recorder.Left(), mark, 1000, 300);
    EXPECT_GT(tone, 0.3) << "the slot on the virtual microphone\n" << program.Log();
    EXPECT_GT(voice, 0.05) << "the voice under the slot";
}

class MicrophoneE2e : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display.Start("1024x768x24"));
        if (GetParam() == "PipeWire") {
            server = std::make_unique<test::PipeWireServer>(dir.Path());
        } else {
            server = std::make_unique<test::PulseServer>(dir.Path());
        }
        ASSERT_TRUE(server->Ready()) << server->Log();
        ASSERT_TRUE(server->AddSineMicrophone("voice", 300));
        ASSERT_TRUE(test::Run("pactl set-default-source voice"));
        program = std::make_unique<test::ProgramUnderTest>(dir.Path());
        ASSERT_TRUE(program->Installed());
        ASSERT_TRUE(program->WriteSlotList(kSlotList));
        ASSERT_TRUE(test::WriteToneWav(program->File("Sounds/Common/1k.wav"),
                                       {.frequency = 1000, .seconds = 1.0, .amplitude = 0.4}));
    }

    test::TempDir dir;
    test::XvfbDisplay display;
    std::unique_ptr<test::SoundServer> server;
    std::unique_ptr<test::ProgramUnderTest> program;
};

TEST_P(MicrophoneE2e, VoiceAndSlotsOnTheMicrophoneTheSlotsAloneOnTheSinkAndNothingLeftBehind) {
    ASSERT_TRUE(program->WriteConfig(kMicrophoneOn));
    test::SinkRecorder main("A", dir.File("main.raw"));
    ASSERT_TRUE(program->Start()) << program->Log();
    ASSERT_TRUE(WaitFor(OursOffered, 5s)) << program->Log() << server->Log();
    EXPECT_TRUE(WaitFor([] { return test::DefaultSource() == kOurs; }));
    EXPECT_NE(test::SourceReport(kOurs).find("Monitor of Sink: n/a"), std::string::npos);

    // The voice alone, then a click adds the slot's tone to it; the main sink gets the tone and
    // not the voice.
    test::SinkRecorder microphone(test::SinkRecorder::Source{kOurs}, dir.File("microphone.raw"));
    std::this_thread::sleep_for(2500ms);
    EXPECT_GT(test::ToneWith(microphone.Left(), 0, 300, 1000).first, 0.05) << "the voice";
    const std::size_t markMain = main.FramesSoFar();
    ExpectClickHeardWithVoice(*program, microphone);
    const auto [onMain, voiceOnMain] = test::ToneWith(main.Left(), markMain, 1000, 300);
    EXPECT_GT(onMain, 0.3) << "the slot on the main sink";
    EXPECT_LT(voiceOnMain, 0.005) << "no voice on the main sink";

    // Killed: its modules stay, with one more left by an older copy, and the next start
    // removes them all before making its own (one sink of that name, not a second one renamed
    // beside the old).
    const std::vector<std::string> left = test::ModulesWith(kMark);
    ASSERT_EQ(::kill(program->Pid(), SIGKILL), 0);
    ASSERT_TRUE(WaitFor([&] { return !program->Running(); }));
    ASSERT_EQ(test::ModulesWith(kMark), left);
    ASSERT_TRUE(test::Run("pactl load-module module-null-sink sink_name=" + kMark + "_older"));
    const auto onlyOurs = [] {
        return OursOffered() && test::DevicesWith("sinks", kMark) ==
                                    std::vector<std::string>{std::string(kVirtualMicrophoneSink)};
    };
    ASSERT_TRUE(program->Start()) << program->Log();
    ASSERT_TRUE(WaitFor(onlyOurs, 5s)) << program->Log();

    // The server restarts: the virtual microphone is back within 5 s, and the slots reach it.
    ASSERT_TRUE(server->Restart()) << server->Log();
    ASSERT_TRUE(server->AddSineMicrophone("voice", 300));
    EXPECT_TRUE(WaitFor(OursOffered, 5s)) << program->Log() << server->Log();
    test::SinkRecorder again(test::SinkRecorder::Source{kOurs}, dir.File("again.raw"));
    std::this_thread::sleep_for(2500ms);
    ExpectClickHeardWithVoice(*program, again);

    // Switched off on the settings page: nothing of ours is left, the default microphone is
    // back.
    ASSERT_TRUE(program->Click(test::PageButtonCentre(5)));
    ASSERT_TRUE(program->Click(test::kMicrophoneSwitch));
    EXPECT_TRUE(WaitFor([] { return test::ModulesWith(kMark).empty(); }, 3s));
    EXPECT_TRUE(test::DevicesWith("sources", kMark).empty());
    EXPECT_TRUE(WaitFor([] { return test::DefaultSource() == "voice"; }));
    EXPECT_EQ(program->ReadConfig("虚拟麦克风", "值"), "0");

    // On again, then the program ends: the same.
    ASSERT_TRUE(program->Click(test::kMicrophoneSwitch));
    ASSERT_TRUE(WaitFor(OursOffered, 5s)) << program->Log();
    EXPECT_TRUE(WaitFor([] { return test::DefaultSource() == kOurs; }));
    program->Kill();
    EXPECT_TRUE(test::ModulesWith(kMark).empty());
    EXPECT_EQ(test::DefaultSource(), "voice");
}

INSTANTIATE_TEST_SUITE_P(Servers, MicrophoneE2e, testing::Values("PulseAudio", "PipeWire"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace vorlune
