// Prints the figures of loudness levelling: the time to measure a minute of audio (WAV and MP3,
// 44.1 kHz stereo; a minute of clicks whose true peak holds the gain; the shipped sounds), each
// beside the time with the true peak measured over the whole file, and a trigger's time
// (create, volume, play, free) with the levelling looked up against without it, on fake
// outputs.
// Run: bench/audio/loudness_bench
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
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

using Meter = Measurement (*)(const std::string&, const std::stop_token&);

// The median time to measure the files, in seconds.
double MeasureSeconds(const std::vector<std::string>& paths, Meter meter = MeasureLoudness) {
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        Measurement m{.kind = Measurement::Kind::Measured, .loudness = {}};
        for (const std::string& path : paths) {
            if (m.kind == Measurement::Kind::Measured) {
                m = meter(path, std::stop_token());
            }
        }
        runs.push_back(Ms(Clock::now() - start) / 1000.0);
        if (m.kind != Measurement::Kind::Measured) {
            std::printf("could not measure %s\n", paths.front().c_str());
            return -1;
        }
    }
    return Median(runs);
}

double SoundSeconds(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return 0;
    }
    sf_close(file);
    return static_cast<double>(info.frames) / info.samplerate;
}

void PrintMeasuring(const char* what, const std::vector<std::string>& paths, double minutes) {
    std::printf(
        "measure %s: %.3f s (goal <= 0.2 s per minute; true peak over the whole file: "
        "%.3f s)\n",
        what, MeasureSeconds(paths) / minutes,
        MeasureSeconds(paths, MeasureLoudnessFully) / minutes);
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
    PrintMeasuring("one minute, WAV", {wav}, 1.0);
    PrintMeasuring("one minute, MP3", {mp3}, 1.0);
    // Clicks near full scale in a minute of little loudness: the true peak holds the gain, and a
    // sample that may make it comes every 10 ms.
    const std::string clicks = dir.File("clicks.wav");
    test::WritePulseWav(clicks, 100, 60, 0.9, 0.02);
    PrintMeasuring("one minute of clicks held by their true peak, WAV", {clicks}, 1.0);
    std::vector<std::string> shipped;
    double shippedSeconds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VORLUNE_SHIPPED_SOUNDS)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".wav" || extension == ".mp3") {
            shipped.push_back(entry.path().string());
            shippedSeconds += SoundSeconds(shipped.back());
        }
    }
    std::sort(shipped.begin(), shipped.end());
    PrintMeasuring(("the shipped sounds, per minute (" + std::to_string(shipped.size()) +
                    " files, " + std::to_string(static_cast<int>(shippedSeconds)) + " s)")
                       .c_str(),
                   shipped, shippedSeconds / 60);

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
