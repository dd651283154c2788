#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "AudioTestFiles.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "audio/AudioPlayer.h"
#include "audio/MixingAudioEngine.h"
#include "audio/fake/FakeOutputSystem.h"

namespace vorlune {
namespace {

using namespace std::chrono_literals;

using test::WaitFor;

// The real engine on fake outputs that keep what they were given and take a period in 3 ms
// (faster than real time); Output() is what the default device got.
class DiskEngine : public testing::Test {
  protected:
    DiskEngine() : DiskEngine({.periodTime = std::chrono::milliseconds(3), .record = true}) {}
    explicit DiskEngine(FakeOutputSystem::Options options) : outputs_(options) {}

    void SetUp() override {
        ASSERT_FALSE(dir_.Path().empty());
        engine_ = std::make_unique<MixingAudioEngine>(outputs_);
        player_ = std::make_unique<AudioPlayer>(*engine_);
    }

    std::string Tone(const std::string& name, const test::Tone& tone) {
        const std::string path = dir_.File(name);
        EXPECT_TRUE(test::WriteToneWav(path, tone));
        return path;
    }

    // Left channel of everything the device was handed.
    std::vector<float> Output() {
        player_.reset();
        engine_.reset();
        return outputs_.Played("fake");
    }

    void PlayToEnd(StreamHandle stream) {
        ASSERT_TRUE(player_->Play(stream));
        ASSERT_TRUE(WaitFor([&] { return player_->IsActive(stream) == ChannelState::Stopped; }));
    }

    test::TempDir dir_;
    FakeOutputSystem outputs_;
    std::unique_ptr<MixingAudioEngine> engine_;
    std::unique_ptr<AudioPlayer> player_;
};

// The same, on an output that plays a period only when the test steps it: what the device is
// handed, and when a change reaches it, then depends on the test alone, never on timing.
class SteppedDiskEngine : public DiskEngine {
  protected:
    SteppedDiskEngine()
        : DiskEngine({.periodTime = std::nullopt, .record = true, .stepped = true}) {}

    // Plays a stream that fits in its buffer: decoded to its end first, so no period waits on
    // the decoder thread, then `periods` periods (all of it when not given).
    void PlayDecoded(StreamHandle stream, std::size_t periods = kWhole) {
        ASSERT_TRUE(WaitFor([&] { return engine_->FullyDecoded(stream); }));
        ASSERT_TRUE(player_->Play(stream));
        Continue(stream, periods);
    }
    void Continue(StreamHandle stream, std::size_t periods = kWhole) {
        for (std::size_t i = 0; i < periods && player_->IsActive(stream) != ChannelState::Stopped;
             ++i) {
            outputs_.Step();
        }
    }

    static constexpr std::size_t kWhole = 1000;
};

TEST_F(DiskEngine, DevicesAreNumberedFromOneAndTheDefaultIsAnOutputOfItsOwn) {
    EXPECT_FALSE(player_->GetDeviceInfo(0));
    ASSERT_TRUE(player_->GetDeviceInfo(1));
    EXPECT_EQ(player_->GetDeviceInfo(1)->name, "Fake Output");
    EXPECT_EQ(player_->GetDeviceInfo(1)->driver, "fake");
    EXPECT_TRUE(player_->GetDeviceInfo(1)->flags & kDeviceDefault);
    EXPECT_FALSE(player_->GetDeviceInfo(1)->flags & kDeviceOpen);
    EXPECT_FALSE(player_->GetDeviceInfo(2));
    EXPECT_FALSE(player_->GetDeviceInfo(128));
    EXPECT_FALSE(player_->CurrentDevice());

    EXPECT_FALSE(player_->Init(0));
    EXPECT_FALSE(player_->Init(2));
    EXPECT_FALSE(player_->Free());
    EXPECT_FALSE(player_->SetDevice(kDefaultDevice)) << "not open";
    EXPECT_TRUE(player_->Init());
    EXPECT_EQ(player_->CurrentDevice(), kDefaultDevice);
    EXPECT_FALSE(player_->Init()) << "open already";
    EXPECT_EQ(player_->CurrentDevice(), kDefaultDevice);
    ASSERT_TRUE(engine_->CurrentOutputSpec());
    EXPECT_EQ(engine_->CurrentOutputSpec()->rate, 44100);
    EXPECT_EQ(engine_->CurrentOutputSpec()->channels, 2);
    EXPECT_EQ(engine_->CurrentOutputSpec()->periodFrames, 512);

    // The device that is the default opens as itself beside the default output; either can be
    // made current again while it is open.
    EXPECT_TRUE(player_->Init(1));
    EXPECT_EQ(player_->CurrentDevice(), 1);
    EXPECT_TRUE(player_->GetDeviceInfo(1)->flags & kDeviceOpen);
    EXPECT_FALSE(player_->Init(1));
    EXPECT_TRUE(player_->SetDevice(kDefaultDevice));
    EXPECT_EQ(player_->CurrentDevice(), kDefaultDevice);
    EXPECT_FALSE(player_->SetDevice(2));
    EXPECT_EQ(player_->CurrentDevice(), kDefaultDevice);

    EXPECT_TRUE(player_->Free());
    EXPECT_FALSE(player_->CurrentDevice());
    EXPECT_FALSE(player_->Free());
    EXPECT_FALSE(player_->SetDevice(kDefaultDevice)) << "closed";
    EXPECT_TRUE(player_->SetDevice(1));
    EXPECT_TRUE(player_->Free());
    EXPECT_FALSE(player_->GetDeviceInfo(1)->flags & kDeviceOpen);
    EXPECT_EQ(outputs_.OpenOutputs(), 0);
    EXPECT_TRUE(player_->Init(1));
    EXPECT_TRUE(player_->Free());
}

TEST_F(DiskEngine, StreamGoesThroughPlayPauseResumeEndAndFree) {
    const std::string path = Tone("a.wav", {.frequency = 440, .seconds = 1.0});
    EXPECT_EQ(player_->CreateStream(path), 0U) << "no device is open";
    ASSERT_TRUE(player_->Init());

    const StreamHandle s = player_->CreateStream(path);
    ASSERT_NE(s, 0U);
    EXPECT_EQ(player_->IsActive(s), ChannelState::Stopped) << "created stopped";
    EXPECT_FALSE(player_->Pause(s)) << "nothing to pause";
    EXPECT_TRUE(player_->Play(s));
    EXPECT_EQ(player_->IsActive(s), ChannelState::Playing);
    std::this_thread::sleep_for(30ms);
    EXPECT_TRUE(player_->Pause(s));
    EXPECT_EQ(player_->IsActive(s), ChannelState::Paused);
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(player_->IsActive(s), ChannelState::Paused);
    EXPECT_TRUE(player_->Play(s));
    EXPECT_EQ(player_->IsActive(s), ChannelState::Playing);
    ASSERT_TRUE(WaitFor([&] { return player_->IsActive(s) == ChannelState::Stopped; }));

    // Ended: the handle stays valid until freed, then every operation refuses it.
    std::array<float, 512> fft{};
    EXPECT_EQ(player_->GetFft512(s, fft), 256);
    EXPECT_TRUE(player_->SetChannelVolume(s, 0.5F));
    EXPECT_TRUE(player_->FreeStream(s));
    EXPECT_FALSE(player_->FreeStream(s));
    EXPECT_FALSE(player_->FreeStream(0));
    EXPECT_EQ(player_->IsActive(s), ChannelState::Stopped);
    EXPECT_EQ(player_->IsActive(0), ChannelState::Stopped);
    EXPECT_FALSE(player_->Play(s));
    EXPECT_FALSE(player_->Pause(s));
    EXPECT_FALSE(player_->Stop(s));
    EXPECT_FALSE(player_->SetChannelVolume(s, 1.0F));
    EXPECT_EQ(player_->GetFft512(s, fft), -1);

    // The device got the whole tone, nothing lost or doubled at the pause: every sample but the
    // sine's ten exact zeros is there once. (An idle output is handed nothing at all, so the
    // pause leaves no gap in what the device got.)
    const std::vector<float> out = Output();
    EXPECT_LE(test::SoundRuns(out, 256).size(), 2U);
    EXPECT_EQ(test::CountNonSilent(out), 44100U - 20U);
}

TEST_F(DiskEngine, StopRestartAndFreeOfTheDeviceEndStreams) {
    const std::string path = Tone("a.wav", {.frequency = 440, .seconds = 0.3});
    ASSERT_TRUE(player_->Init());
    const StreamHandle s = player_->CreateStream(path);
    ASSERT_NE(s, 0U);
    PlayToEnd(s);
    // Playing again from the start after the end.
    EXPECT_TRUE(player_->Play(s, true));
    EXPECT_EQ(player_->IsActive(s), ChannelState::Playing);
    EXPECT_TRUE(player_->Stop(s));
    EXPECT_EQ(player_->IsActive(s), ChannelState::Stopped);

    const StreamHandle t = player_->CreateStream(path);
    ASSERT_NE(t, 0U);
    EXPECT_NE(t, s);
    EXPECT_TRUE(player_->Play(t));
    EXPECT_TRUE(player_->Free());
    EXPECT_EQ(player_->IsActive(t), ChannelState::Stopped);
    EXPECT_EQ(player_->IsActive(s), ChannelState::Stopped);
    EXPECT_FALSE(player_->Play(t));
    EXPECT_FALSE(player_->FreeStream(t));
    EXPECT_EQ(player_->CreateStream(path), 0U);
    // A stream handle is never handed out twice.
    ASSERT_TRUE(player_->Init());
    const StreamHandle u = player_->CreateStream(path);
    EXPECT_GT(u, t);
}

TEST_F(SteppedDiskEngine, VolumeScalesTheSamplesHandedToTheDeviceWithoutAClick) {
    // 0.4 s: 17640 frames, 35 periods of 512 and part of one more, so each sound ends in
    // silence the length of a run gap at least.
    const std::string path = Tone("a.wav", {.frequency = 440, .seconds = 0.4, .amplitude = 0.8});
    ASSERT_TRUE(player_->Init());
    const StreamHandle full = player_->CreateStream(path);
    PlayDecoded(full);
    ASSERT_EQ(player_->IsActive(full), ChannelState::Stopped);
    const StreamHandle half = player_->CreateStream(path);
    EXPECT_TRUE(player_->SetChannelVolume(half, 0.5F));
    PlayDecoded(half);
    const StreamHandle changed = player_->CreateStream(path);
    // The volume changes after ten periods (5120 frames) of the third sound.
    PlayDecoded(changed, 10);
    ASSERT_EQ(player_->IsActive(changed), ChannelState::Playing);
    EXPECT_TRUE(player_->SetChannelVolume(changed, 0.25F));
    Continue(changed);
    ASSERT_EQ(player_->IsActive(changed), ChannelState::Stopped);
    EXPECT_FALSE(player_->SetChannelVolume(changed, -1.0F));

    const std::vector<float> out = Output();
    const auto runs = test::SoundRuns(out, 256);
    ASSERT_EQ(runs.size(), 3U);
    auto level = [&](const test::Run& run, std::size_t from) {
        return test::ToneAmplitude(out.data() + run.begin + from, 4096, 440.0, 44100);
    };
    EXPECT_NEAR(level(runs[0], 4000), 0.8, 0.01);
    EXPECT_NEAR(level(runs[1], 4000) / level(runs[0], 4000), 0.5, 0.01);
    const test::Run& last = runs[2];
    EXPECT_NEAR(level(last, 512), 0.8, 0.01) << "before the change";
    EXPECT_NEAR(level(last, last.end - last.begin - 5000), 0.2, 0.01);
    // A sine of 0.8 at 440 Hz moves at most 0.05 per sample; a jump in gain would show.
    float steepest = 0.0F;
    for (std::size_t i = last.begin + 1; i < last.end; ++i) {
        steepest = std::max(steepest, std::abs(out[i] - out[i - 1]));
    }
    EXPECT_LT(steepest, 0.06F);
}

TEST_F(DiskEngine, SpectrumShowsTheToneThatPlaysAtItsPitch) {
    ASSERT_TRUE(player_->Init());
    struct Case {
        std::string path;
        double bin;  // expected peak at 44100 Hz output / 512
    };
    const std::vector<Case> cases{
        {Tone("1k.wav", {.frequency = 1000, .seconds = 0.6, .amplitude = 1.0}), 11.61},
        // A 48 kHz stereo file resampled to the device: the pitch stays.
        {Tone("3k.wav",
              {.frequency = 3000, .seconds = 0.6, .rate = 48000, .channels = 2, .amplitude = 1.0}),
         34.83},
    };
    for (const Case& c : cases) {
        const StreamHandle s = player_->CreateStream(c.path);
        ASSERT_NE(s, 0U) << c.path;
        std::array<float, 512> fft{};
        fft.fill(-7.0F);
        EXPECT_EQ(player_->GetFft512(s, fft), 256);
        EXPECT_EQ(fft[0], 0.0F) << "nothing played yet";
        ASSERT_TRUE(player_->Play(s));
        ASSERT_TRUE(WaitFor([&] { return engine_->FirstSoundTime(s).has_value(); }));
        std::this_thread::sleep_for(40ms);
        EXPECT_TRUE(player_->Pause(s));
        EXPECT_EQ(player_->GetFft512(s, fft), 256);
        const auto peak = std::max_element(fft.begin(), fft.begin() + 256) - fft.begin();
        EXPECT_NEAR(static_cast<double>(peak), c.bin, 0.6) << c.path;
        EXPECT_GT(fft[static_cast<std::size_t>(peak)], 0.38F) << c.path;
        EXPECT_LT(fft[static_cast<std::size_t>(peak)], 0.52F) << c.path;
        EXPECT_EQ(fft[256], -7.0F) << "only the first 256 values are written";
        EXPECT_EQ(fft[511], -7.0F);
        EXPECT_EQ(player_->GetFft512(s, std::span<float>(fft).first(100)), -1);
        EXPECT_TRUE(player_->FreeStream(s));
    }
}

// Stepped, and short enough to be decoded whole first: a decoder that fell behind a fast fake
// output would split the sound and fail the test for no fault of the engine.
TEST_F(SteppedDiskEngine, Mp3PlaysToItsEnd) {
    const std::string wav = Tone("m.wav", {.frequency = 440, .seconds = 0.4});
    ASSERT_TRUE(test::EncodeMp3(wav, dir_.File("m.mp3")));
    ASSERT_TRUE(player_->Init());
    const StreamHandle s = player_->CreateStream(dir_.File("m.mp3"));
    ASSERT_NE(s, 0U);
    PlayDecoded(s);
    ASSERT_EQ(player_->IsActive(s), ChannelState::Stopped);
    const std::vector<float> out = Output();
    const auto runs = test::SoundRuns(out, 256);
    ASSERT_EQ(runs.size(), 1U);
    EXPECT_NEAR(static_cast<double>(runs[0].end - runs[0].begin), 17640.0, 1200.0);
    EXPECT_NEAR(test::PeakFrequency(out.data() + runs[0].begin + 4000, 2048, 44100), 440.0, 25.0);
}

TEST_F(SteppedDiskEngine, BadFilesGiveNoStreamAndNoCrash) {
    ASSERT_TRUE(player_->Init());
    const std::string good = Tone("good.wav", {.frequency = 440, .seconds = 0.5});
    const std::string bytes = test::ReadFileBytes(good);
    test::WriteFileBytes(dir_.File("text.mp3"), "this is not audio at all, just words\n");
    test::WriteFileBytes(dir_.File("text.wav"), "RIFF....WAVEfmt nonsense");
    std::string noise(100000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 7919U + (i >> 3) * 104729U) & 0xFF);
    }
    test::WriteFileBytes(dir_.File("noise.mp3"), noise);
    test::WriteFileBytes(dir_.File("noise.wav"), noise);
    test::WriteFileBytes(dir_.File("empty.wav"), "");
    test::WriteFileBytes(dir_.File("empty.mp3"), "");
    test::WriteFileBytes(dir_.File("header.wav"), std::string_view(bytes).substr(0, 30));
    test::WriteFileBytes(dir_.File("nodata.wav"), std::string_view(bytes).substr(0, 44));
    test::MakeFolders(dir_.File("folder.wav"));
    ASSERT_EQ(::mkfifo(dir_.File("pipe.wav").c_str(), 0600), 0);
    for (const char* name :
         {"text.mp3", "text.wav", "noise.mp3", "noise.wav", "empty.wav", "empty.mp3", "header.wav",
          "nodata.wav", "folder.wav", "pipe.wav", "missing.wav"}) {
        EXPECT_EQ(player_->CreateStream(dir_.File(name)), 0U) << name;
    }
    if (::geteuid() != 0) {  // root reads everything
        test::WriteFileBytes(dir_.File("locked.wav"), bytes);
        ::chmod(dir_.File("locked.wav").c_str(), 0);
        EXPECT_EQ(player_->CreateStream(dir_.File("locked.wav")), 0U);
    }

    // Data that stops early (a damaged or half-copied file) plays what is there, then ends.
    test::WriteFileBytes(dir_.File("cut.wav"), std::string_view(bytes).substr(0, 44 + 2 * 4410));
    const StreamHandle cut = player_->CreateStream(dir_.File("cut.wav"));
    ASSERT_NE(cut, 0U);
    PlayDecoded(cut);
    ASSERT_EQ(player_->IsActive(cut), ChannelState::Stopped);
    const std::vector<float> out = Output();
    const auto runs = test::SoundRuns(out, 256);
    ASSERT_EQ(runs.size(), 1U);
    EXPECT_NEAR(static_cast<double>(runs[0].end - runs[0].begin), 4410.0, 2.0);
}

}  // namespace
}  // namespace vorlune
