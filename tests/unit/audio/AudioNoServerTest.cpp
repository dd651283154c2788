#include <gtest/gtest.h>

#include <array>

#include "AudioTestFiles.h"
#include "TempDir.h"
#include "audio/AudioPlayer.h"
#include "audio/MixingAudioEngine.h"
#include "audio/pulse/PulseOutputSystem.h"

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

}  // namespace
}  // namespace vorlune
