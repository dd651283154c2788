#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "AudioTestFiles.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "audio/AudioPlayer.h"
#include "audio/MixingAudioEngine.h"
#include "audio/pulse/PulseMicrophoneSystem.h"
#include "audio/pulse/PulseOutputSystem.h"
#include "audio/pulse/VirtualMicrophoneArguments.h"

namespace vorlune {
namespace {

TEST(AudioWithoutServer, InitFailsAndEveryStreamOperationFailsQuietly) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteToneWav(dir.File("a.wav"), {}));
    PulseOutputSystem outputs;
    MixingAudioEngine engine(outputs);
    AudioPlayer player(engine);
    EXPECT_FALSE(player.GetDeviceInfo(1));
    EXPECT_FALSE(player.Init());
    EXPECT_FALSE(player.Init(1));
    EXPECT_FALSE(player.CurrentDevice());
    const StreamHandle s = player.CreateStream(dir.File("a.wav"));
    EXPECT_EQ(s, 0U);
    for (StreamHandle h : {s, StreamHandle{1}, StreamHandle{42}}) {
        EXPECT_FALSE(player.Play(h));
        EXPECT_FALSE(player.Pause(h));
        EXPECT_FALSE(player.Stop(h));
        EXPECT_EQ(player.IsActive(h), ChannelState::Stopped);
        EXPECT_FALSE(player.SetChannelVolume(h, 0.5F));
        std::array<float, 512> fft{};
        EXPECT_EQ(player.GetFft512(h, fft), -1);
        EXPECT_FALSE(player.FreeStream(h));
    }
    EXPECT_FALSE(player.Free());
}

// Without a server the virtual microphone waits for one: asked for, it is being made, never
// failed (a server that starts later makes it), and ending does not wait for anybody.
TEST(AudioWithoutServer, TheVirtualMicrophoneWaitsForAServer) {
    auto microphone = std::make_unique<PulseMicrophoneSystem>();
    EXPECT_FALSE(microphone->Microphones().connected);
    EXPECT_TRUE(microphone->Microphones().microphones.empty());
    VirtualMicrophoneWish wish;
    wish.on = true;
    microphone->Apply(wish);
    const auto stateIs = [&](VirtualMicrophoneState state) {
        return test::WaitFor([&] { return microphone->Status().state == state; });
    };
    EXPECT_TRUE(stateIs(VirtualMicrophoneState::Starting));
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_EQ(microphone->Status().state, VirtualMicrophoneState::Starting) << "past a retry";
    microphone->Apply({});
    EXPECT_TRUE(stateIs(VirtualMicrophoneState::Off));
    microphone.reset();
}

// What a killed program left behind is read back from the server, which anybody may have
// loaded modules into: only a plain device name is taken back as the default to give back, and
// no name that is not plain is put into a module's arguments.
TEST(VirtualMicrophoneArguments, OnlyPlainNamesGoInOrComeBack) {
    const std::string made = RemapSourceArguments("alsa_input.usb-Mic_1-00.mono-fallback");
    EXPECT_TRUE(HasVirtualMicrophoneMark(made));
    EXPECT_EQ(PreviousDefaultIn(made), "alsa_input.usb-Mic_1-00.mono-fallback");
    EXPECT_EQ(RemapSourceArguments("mic' source_name=x"), RemapSourceArguments(""));
    EXPECT_EQ(PreviousDefaultIn(RemapSourceArguments("")), std::nullopt);
    for (const char* argument :
         {"vorlune.previous_default_source=", "vorlune.previous_default_source=vorlune_virtual_mic",
          "vorlune.previous_default_source=$(reboot)", "vorlune.previous_default_source=\"a b\""}) {
        EXPECT_EQ(PreviousDefaultIn(argument), std::nullopt) << argument;
    }
    EXPECT_EQ(PreviousDefaultIn("x vorlune.previous_default_source=mic\"' y"), "mic");
    EXPECT_FALSE(IsSafeServerName(std::string(201, 'a')));
    EXPECT_TRUE(IsSafeServerName(std::string(200, 'a')));
    EXPECT_FALSE(IsSafeServerName("名字"));
}

}  // namespace
}  // namespace vorlune
