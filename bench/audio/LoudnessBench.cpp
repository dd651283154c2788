// Prints the figures of loudness levelling: the time to measure a minute of audio (WAV and MP3,
// 44.1 kHz stereo), and a trigger's time (create, volume, play, free) with the levelling
// looked up against without it, on fake outputs.
// Run: bench/audio/loudness_bench
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "AudioTestFiles.h"
#include "TempDir.h"
#include "audio/AudioPlayer.h"
#include "audio/MixingAudioEngine.h"
#include "audio/fake/FakeOutputSystem.h"
#include "audio/loudness/EbuR128Meter.h"
#include "audio/loudness/LoudnessLevels.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using namespace vorlune;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The median time to measure the file, in seconds.
double MeasureSeconds(const std::string& path) {
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        const Measurement m = MeasureLoudness(path, std::stop_token());
        runs.push_back(Ms(Clock::now() - start) / 1000.0);
        if (m.kind != Measurement::Kind::Measured) {
            std::printf("could not measure %s\n", path.c_str());
            return -1;
        }
    }
    return Median(runs);
}

// The median time of a trigger's player calls, in milliseconds.
double TriggerMs(AudioPlayer& player, const std::string& path) {
    std::vector<double> runs;
    for (int i = 0; i < 200; ++i) {
        const auto start = Clock::now();
        const StreamHandle s = player.CreateStream(path);
        player.SetChannelVolume(s, 0.8F);
        player.Play(s);
        runs.push_back(Ms(Clock::now() - start));
        player.FreeStream(s);
    }
    return Median(runs);
}

}  // namespace

int main() {
    test::TempDir dir;
    const std::string wav = dir.File("minute.wav");
    const std::string mp3 = dir.File("minute.mp3");
    if (!test::WriteToneWav(wav,
                            {.frequency = 997, .seconds = 60, .channels = 2, .amplitude = 0.3}) ||
        !test::EncodeMp3(wav, mp3)) {
        std::printf("could not write the test files\n");
        return 1;
    }
    std::printf("measure one minute, WAV: %.3f s (goal <= 0.2 s)\n", MeasureSeconds(wav));
    std::printf("measure one minute, MP3: %.3f s (goal <= 0.2 s)\n", MeasureSeconds(mp3));

    const std::string tone = dir.File("tone.wav");
    test::WriteToneWav(tone, {.seconds = 1.0});
    FakeOutputSystem outputs;
    MixingAudioEngine engine(outputs);
    AudioPlayer player(engine);
    player.Init(kDefaultDevice);
    LoudnessLevels levels(dir.File("loudness.cache"), MeasureLoudness);
    levels.Measure({tone});
    levels.WaitUntilIdle(10s);
    const double off = TriggerMs(player, tone);
    player.SetLevelling(
        [&levels](const std::string& path) { return levels.LevelOf(path).value_or(1.0F); });
    const double on = TriggerMs(player, tone);
    std::printf("trigger, levelling off: median %.3f ms\n", off);
    std::printf("trigger, levelling on: median %.3f ms (goal: within 0.1 ms of off)\n", on);
    return 0;
}
