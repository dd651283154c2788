#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <semaphore>

#include "AudioTestFiles.h"
#include "TempDir.h"
#include "audio/loudness/EbuR128Meter.h"
#include "audio/loudness/LoudnessLevels.h"

namespace vorlune::test {
namespace {

using namespace std::chrono_literals;

// A 997 Hz sine in one channel reads 3.01 dB below its peak level in LUFS.
double SineAmplitudeFor(double lufs) {
    return std::pow(10.0, (lufs + 3.01) / 20.0);
}

Measurement Measure(const std::string& path) {
    return MeasureLoudness(path, std::stop_token());
}

double GainDbOf(const std::string& path) {
    const Measurement m = Measure(path);
    EXPECT_EQ(m.kind, Measurement::Kind::Measured) << path;
    return LevellingGainDb(m.loudness);
}

TEST(Loudness, TonesOfKnownLoudnessGetTheGainTheyNeed) {
    TempDir dir;
    const auto sine = [&](const char* name, double lufs) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(WriteToneWav(
            path, {.frequency = 997, .seconds = 3, .amplitude = SineAmplitudeFor(lufs)}));
        return path;
    };

    // Loud and quiet sines are brought to the target; one too quiet for the cap gets the cap.
    const std::string loud = sine("loud.wav", -10);
    EXPECT_NEAR(Measure(loud).loudness.integratedLufs, -10, 0.2);
    EXPECT_NEAR(GainDbOf(loud), kTargetLufs + 10, 0.5);
    EXPECT_DOUBLE_EQ(GainDbOf(loud),
                     LevellingGainDb(MeasureLoudnessFully(loud, std::stop_token()).loudness));
    EXPECT_NEAR(GainDbOf(sine("soft.wav", -24)), kTargetLufs + 24, 0.5);
    EXPECT_NEAR(GainDbOf(sine("whisper.wav", -30)), kMaxBoostDb, 0.01);

    // A narrow pulse wave: peaks near full scale but little loudness. It is held at the
    // true-peak ceiling, below what the target would need.
    const std::string pulse = dir.File("pulse.wav");
    ASSERT_TRUE(WritePulseWav(pulse, 100, 3, 0.9, 0.02));
    const Measurement clicks = Measure(pulse);
    EXPECT_EQ(clicks.loudness, MeasureLoudnessFully(pulse, std::stop_token()).loudness);
    const double gain = LevellingGainDb(clicks.loudness);
    EXPECT_LT(gain, kTargetLufs - clicks.loudness.integratedLufs - 1.0);
    EXPECT_NEAR(clicks.loudness.truePeakDbtp + gain, kTruePeakCeilingDbtp, 1e-9);

    // The rule alone: the cap, the ceiling, and silence left as it is.
    EXPECT_DOUBLE_EQ(LevellingGainDb({.integratedLufs = -60, .truePeakDbtp = -50}), kMaxBoostDb);
    EXPECT_DOUBLE_EQ(LevellingGainDb({.integratedLufs = -20, .truePeakDbtp = -2}), 1.0);
    EXPECT_DOUBLE_EQ(LevellingGainDb({.integratedLufs = -HUGE_VAL, .truePeakDbtp = -HUGE_VAL}),
                     0.0);
    EXPECT_NEAR(LevelOfDb(-6.0206), 0.5F, 1e-4);

    // What cannot be measured is damaged: no audio, a cut file, a FIFO (which must not block).
    WriteFileBytes(dir.File("text.wav"), "not a sound at all");
    EXPECT_EQ(Measure(dir.File("text.wav")).kind, Measurement::Kind::Damaged);
    const std::string bytes = ReadFileBytes(loud);
    WriteFileBytes(dir.File("cut.wav"), std::string_view(bytes).substr(0, 30));
    EXPECT_EQ(Measure(dir.File("cut.wav")).kind, Measurement::Kind::Damaged);
    ASSERT_EQ(::mkfifo(dir.File("fifo.wav").c_str(), 0600), 0);
    EXPECT_EQ(Measure(dir.File("fifo.wav")).kind, Measurement::Kind::Damaged);
    EXPECT_EQ(Measure(dir.File("missing.wav")).kind, Measurement::Kind::Damaged);
}

// The true peak is measured only where it could limit the gain, yet every gain is the one a
// full measurement gives: held by the true peak (not the lower sample peak), or not held.
TEST(Loudness, TheTruePeakIsMeasuredWhereverItCouldLimitTheGain) {
    TempDir dir;
    constexpr int kRate = 44100;
    // A quiet sine, boosted by the cap, with the samples given set in across a block boundary
    // of the reading.
    const auto write = [&](const char* name, const std::vector<double>& inset) {
        std::vector<float> samples(3 * kRate);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<float>(
                SineAmplitudeFor(-32) *
                std::sin(2 * std::numbers::pi * 997 * static_cast<double>(i) / kRate));
        }
        std::copy(inset.begin(), inset.end(), samples.begin() + 8 * 4096 - 5);
        EXPECT_TRUE(WriteWav(dir.File(name), kRate, 1, samples));
        return dir.File(name);
    };
    const auto checked = [](const std::string& path) {
        const Measurement full = MeasureLoudnessFully(path, std::stop_token());
        EXPECT_NEAR(GainDbOf(path), LevellingGainDb(full.loudness), 1e-9) << path;
        return full.loudness;
    };
    // A sine at a quarter of the rate, its samples 45 degrees off its crests: the true peak is
    // 3 dB above the samples, and it holds the gain.
    std::vector<double> burst(200);
    for (std::size_t i = 0; i < burst.size(); ++i) {
        burst[i] =
            0.5 * std::sin(std::numbers::pi / 2 * static_cast<double>(i) + std::numbers::pi / 4);
    }
    checked(write("burst.wav", burst));
    // (The quiet sine adds a little to the peak.)
    EXPECT_NEAR(GainDbOf(dir.File("burst.wav")), kTruePeakCeilingDbtp - 20 * std::log10(0.5), 0.15);
    // Samples alternating in sign, once reversed: the most a true peak can rise above them (by
    // less than the 5.44 dB the meter allows for), here just past the ceiling at the cap.
    constexpr double kWorst = 0.1208;
    std::vector<double> worst(12);
    for (std::size_t i = 0; i < worst.size(); ++i) {
        worst[i] = ((i + (i < 6 ? 0 : 1)) % 2 == 0 ? kWorst : -kWorst);
    }
    const Loudness peaky = checked(write("worst.wav", worst));
    EXPECT_LT(LevellingGainDb(peaky), kMaxBoostDb);
    EXPECT_GT(peaky.truePeakDbtp - 20 * std::log10(kWorst), 5.3);
    EXPECT_LT(peaky.truePeakDbtp - 20 * std::log10(kWorst), 5.44);
    // The same, its outer samples too low to be looked for yet adding to the peak.
    for (std::size_t i = 0; i < worst.size(); ++i) {
        worst[i] *= (i == 5 || i == 6) ? 1.5 : 0.3;
    }
    const Loudness tapered = checked(write("tapered.wav", worst));
    EXPECT_LT(LevellingGainDb(tapered), kMaxBoostDb);
    // Samples near the limit whose true peak stays below it: the gain is the target's.
    const Loudness gentle = checked(write("gentle.wav", std::vector<double>(300, 0.15)));
    EXPECT_DOUBLE_EQ(LevellingGainDb(gentle),
                     std::min(kTargetLufs - gentle.integratedLufs, kMaxBoostDb));
}

// Counts what the real meter is asked to measure, and can hold a measurement until released.
struct CountingMeter {
    std::map<std::string, int> asked;
    std::mutex mutex;
    std::binary_semaphore release{1};
    std::atomic<bool> hold = false;

    LoudnessLevels::Meter Meter() {
        return [this](const std::string& path, const std::stop_token& stop) {
            {
                const std::scoped_lock lock(mutex);
                ++asked[path];
            }
            if (hold) {
                release.acquire();
            }
            return MeasureLoudness(path, stop);
        };
    }
    int Asked(const std::string& path) {
        const std::scoped_lock lock(mutex);
        return asked[path];
    }
};

TEST(Loudness, MeasuredInTheBackgroundOnceAndKeptInTheCache) {
    TempDir dir;
    const std::string cache = dir.File("loudness.cache");
    const std::string quiet = dir.File("quiet.wav");
    const std::string loud = dir.File("lo\\ud\nname.wav");
    const std::string broken = dir.File("broken.wav");
    ASSERT_TRUE(
        WriteToneWav(quiet, {.frequency = 997, .seconds = 2, .amplitude = SineAmplitudeFor(-22)}));
    ASSERT_TRUE(
        WriteToneWav(loud, {.frequency = 997, .seconds = 2, .amplitude = SineAmplitudeFor(-10)}));
    WriteFileBytes(broken, "RIFF and nothing more");

    {
        CountingMeter meter;
        meter.hold = true;
        meter.release.acquire();
        LoudnessLevels levels(cache, meter.Meter());
        // Asked while it is being measured: no level yet, and the answer does not wait.
        EXPECT_EQ(levels.LevelOf(quiet), std::nullopt);
        EXPECT_EQ(levels.LevelOf(quiet), std::nullopt);
        meter.hold = false;
        meter.release.release();
        levels.Measure({quiet, loud, broken, quiet, dir.File("gone.wav")});
        ASSERT_TRUE(levels.WaitUntilIdle(10s));
        EXPECT_EQ(meter.Asked(quiet), 1);
        EXPECT_EQ(meter.Asked(dir.File("gone.wav")), 0);
        ASSERT_TRUE(levels.LevelOf(quiet).has_value());
        EXPECT_NEAR(20 * std::log10(*levels.LevelOf(quiet)), 6.0, 0.5);
        EXPECT_NEAR(20 * std::log10(*levels.LevelOf(loud)), -6.0, 0.5);
        EXPECT_EQ(levels.LevelOf(broken), std::nullopt);
    }
    // The cache holds all three, the damaged one marked; nothing else was left beside it.
    const LoudnessTable table = ReadLoudnessCache(cache);
    ASSERT_EQ(table.size(), 3U);
    EXPECT_FALSE(table.at(broken).loudness.has_value());
    EXPECT_EQ(table.at(loud).stamp, StampOf(loud));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              4);

    // The next start measures nothing again, not even the damaged file; a touched file is
    // measured anew, and its new level replaces the old.
    std::filesystem::last_write_time(quiet, std::filesystem::last_write_time(quiet) + 1s);
    ASSERT_TRUE(
        WriteToneWav(quiet, {.frequency = 997, .seconds = 2, .amplitude = SineAmplitudeFor(-19)}));
    CountingMeter meter;
    LoudnessLevels levels(cache, meter.Meter());
    levels.Measure({quiet, loud, broken});
    ASSERT_TRUE(levels.WaitUntilIdle(10s));
    EXPECT_EQ(meter.Asked(loud), 0);
    EXPECT_EQ(meter.Asked(broken), 0);
    EXPECT_EQ(meter.Asked(quiet), 1);
    EXPECT_NEAR(20 * std::log10(*levels.LevelOf(quiet)), 3.0, 0.5);

    // A cache file that is not ours, or half of one, costs measuring again and nothing more.
    EXPECT_TRUE(ParseLoudnessCache("something else\n1\t2\t3\t4\t/a\n").empty());
    std::string text = FormatLoudnessCache(table);
    text.insert(text.find('\n') + 1, "12\tx\t-1\t-2\t/bad\nshort line\n");
    EXPECT_EQ(ParseLoudnessCache(text), table);
}

}  // namespace
}  // namespace vorlune::test
