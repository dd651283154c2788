#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

#include "AudioTestFiles.h"
#include "TempDir.h"
#include "audio/AudioPlayer.h"
#include "audio/Fft512.h"
#include "audio/SampleRing.h"
#include "audio/StreamDecoder.h"

namespace vorlune {
namespace {

TEST(SampleRing, KeepsOrderAcrossTheWrapAndBetweenThreads) {
    SampleRing ring(10);
    std::vector<float> in{1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(ring.Write(in), 7U);
    std::vector<float> out(5);
    EXPECT_EQ(ring.Read(out), 5U);
    EXPECT_EQ(out, (std::vector<float>{1, 2, 3, 4, 5}));
    // Wraps: 2 left, 8 free, only 8 of 9 fit.
    std::vector<float> more{8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(ring.Write(more), 8U);
    EXPECT_EQ(ring.Writable(), 0U);
    std::vector<float> all(20);
    EXPECT_EQ(ring.Read(all), 10U);
    EXPECT_EQ(std::vector<float>(all.begin(), all.begin() + 10),
              (std::vector<float>{6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    ring.Write(in);
    ring.Clear();
    EXPECT_EQ(ring.Readable(), 0U);

    // One producer and one consumer at full speed: every sample arrives once, in order.
    SampleRing shared(64);
    constexpr int kCount = 20000;
    std::thread producer([&] {
        int next = 0;
        while (next < kCount) {
            const float v = static_cast<float>(next);
            next += static_cast<int>(shared.Write(std::span<const float>(&v, 1)));
        }
    });
    int expected = 0;
    bool inOrder = true;
    while (expected < kCount) {
        float v = -1;
        if (shared.Read(std::span<float>(&v, 1)) == 1) {
            inOrder = inOrder && v == static_cast<float>(expected);
            ++expected;
        }
    }
    producer.join();
    EXPECT_TRUE(inOrder);
}

TEST(MapChannels, SpreadsMonoAveragesToMonoKeepsFirstChannels) {
    const std::vector<float> mono{0.5F, -0.25F};
    std::vector<float> stereo(4);
    MapChannels(mono.data(), 2, 1, stereo.data(), 2);
    EXPECT_EQ(stereo, (std::vector<float>{0.5F, 0.5F, -0.25F, -0.25F}));

    const std::vector<float> pair{1.0F, 0.0F, 0.5F, 0.5F};
    std::vector<float> down(2);
    MapChannels(pair.data(), 2, 2, down.data(), 1);
    EXPECT_EQ(down, (std::vector<float>{0.5F, 0.5F}));

    const std::vector<float> six{1, 2, 3, 4, 5, 6};
    std::vector<float> front(2);
    MapChannels(six.data(), 1, 6, front.data(), 2);
    EXPECT_EQ(front, (std::vector<float>{1, 2}));
}

TEST(Fft512, FullScaleSinePeaksNearHalfOnItsBin) {
    Fft512 fft;
    std::array<float, 512> samples{};
    std::array<float, 256> bins{};
    for (double bin : {20.0, 20.5, 100.0}) {
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<float>(
                std::sin(2.0 * std::numbers::pi * bin * static_cast<double>(i) / 512.0));
        }
        fft.Magnitudes(samples, bins);
        const auto peak = std::max_element(bins.begin(), bins.end()) - bins.begin();
        EXPECT_NEAR(static_cast<double>(peak), bin, 0.5) << bin;
        EXPECT_GT(bins[static_cast<std::size_t>(peak)], 0.40F) << bin;
        EXPECT_LT(bins[static_cast<std::size_t>(peak)], 0.51F) << bin;
        // Far from the tone the Hann window leaves next to nothing.
        EXPECT_LT(bins[static_cast<std::size_t>(peak) + 10], 0.001F) << bin;
    }
    samples.fill(0.0F);
    fft.Magnitudes(samples, bins);
    EXPECT_EQ(*std::max_element(bins.begin(), bins.end()), 0.0F);
}

TEST(StreamDecoder, ConvertsRateAndLayoutAndEndsOnShortData) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteToneWav(
        dir.File("t.wav"), {.frequency = 3000, .seconds = 1.0, .rate = 48000, .channels = 1}));
    auto decoder = StreamDecoder::Open(dir.File("t.wav"), OutputFormat{44100, 2});
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->FileRate(), 48000);
    SampleRing ring(44100 * 2 * 2);
    while (!decoder->Drained()) {
        decoder->Pump(ring);
    }
    std::vector<float> out(ring.Readable());
    ring.Read(out);
    // One second at the output rate, give or take the filter's edges.
    EXPECT_NEAR(static_cast<double>(out.size()) / 2.0, 44100.0, 64.0);
    const std::vector<float> left = test::FirstChannel(out, 2);
    EXPECT_NEAR(test::PeakFrequency(left.data() + 10000, 2048, 44100), 3000.0, 25.0);
    EXPECT_NEAR(test::ToneAmplitude(left.data() + 10000, 2048, 3000.0, 44100), 0.8, 0.02);

    // A WAV whose data stops early ends where the data ends.
    const std::string whole = test::ReadFileBytes(dir.File("t.wav"));
    test::WriteFileBytes(dir.File("cut.wav"), std::string_view(whole).substr(0, 44 + 2 * 4800));
    auto cut = StreamDecoder::Open(dir.File("cut.wav"), OutputFormat{48000, 1});
    ASSERT_TRUE(cut);
    SampleRing small(100000);
    while (!cut->Drained()) {
        cut->Pump(small);
    }
    EXPECT_EQ(small.Readable(), 4800U);
    EXPECT_TRUE(cut->Rewind());
    EXPECT_FALSE(cut->Drained());

    EXPECT_FALSE(StreamDecoder::Open(dir.Path(), OutputFormat{44100, 2}));
    EXPECT_FALSE(StreamDecoder::Open(dir.File("missing.wav"), OutputFormat{44100, 2}));
    ASSERT_EQ(::mkfifo(dir.File("fifo.wav").c_str(), 0600), 0);
    EXPECT_FALSE(StreamDecoder::Open(dir.File("fifo.wav"), OutputFormat{44100, 2}));
}

class MockEngine : public AudioEngine {
  public:
    MOCK_METHOD(bool, Init, (int, int, std::uint32_t), (override));
    MOCK_METHOD(bool, SetDevice, (int), (override));
    MOCK_METHOD(bool, Free, (), (override));
    MOCK_METHOD(void, SetDeviceListener, (std::function<void()>), (override));
    MOCK_METHOD(std::optional<int>, CurrentDevice, (), (const, override));
    MOCK_METHOD(DeviceState, DeviceStateOf, (int), (const, override));
    MOCK_METHOD(std::optional<DeviceInfo>, GetDeviceInfo, (int), (const, override));
    MOCK_METHOD(StreamHandle, CreateStreamFile, (const std::string&), (override));
    MOCK_METHOD(bool, ChannelPlay, (StreamHandle, bool), (override));
    MOCK_METHOD(bool, ChannelPause, (StreamHandle), (override));
    MOCK_METHOD(bool, ChannelStop, (StreamHandle), (override));
    MOCK_METHOD(ChannelState, ChannelIsActive, (StreamHandle), (const, override));
    MOCK_METHOD(bool, ChannelDamaged, (StreamHandle), (const, override));
    MOCK_METHOD(bool, StreamFree, (StreamHandle), (override));
    MOCK_METHOD(bool, ChannelSetVolume, (StreamHandle, float), (override));
    MOCK_METHOD(int, ChannelGetFft512, (StreamHandle, std::span<float>), (const, override));
};

TEST(AudioPlayer, CreateStreamAsksTheEngineOnlyWhenAFileMatches) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("a.wav"), "RIFF");
    testing::StrictMock<MockEngine> engine;
    AudioPlayer player(engine);
    EXPECT_EQ(player.CurrentStream(), 0U);
    EXPECT_EQ(player.LastSoundPath(), "");

    EXPECT_EQ(player.CreateStream(""), 0U);
    EXPECT_EQ(player.CreateStream(dir.File("b.wav")), 0U);

    EXPECT_CALL(engine, CreateStreamFile(dir.File("a.wav"))).WillOnce(testing::Return(7));
    EXPECT_EQ(player.CreateStream(dir.File("a.wav")), 7U);
    // A pattern that matches a file passes the check and reaches the engine as it is.
    EXPECT_CALL(engine, CreateStreamFile(dir.File("*.wav"))).WillOnce(testing::Return(0));
    EXPECT_EQ(player.CreateStream(dir.File("*.wav")), 0U);

    EXPECT_CALL(engine, Init(kDefaultDevice, 44100, 0U)).WillOnce(testing::Return(true));
    EXPECT_TRUE(player.Init());
    EXPECT_CALL(engine, ChannelPlay(7, false)).WillOnce(testing::Return(true));
    EXPECT_TRUE(player.Play(7));
    EXPECT_CALL(engine, ChannelSetVolume(7, 0.35F)).WillOnce(testing::Return(true));
    EXPECT_TRUE(player.SetChannelVolume(7, 35 / 100.0F));
}

}  // namespace
}  // namespace vorlune
