// Figures of the audio engine, printed as a table: how soon a sound reaches the device after
// Play, the processor time of one playing stream, and what starting a one-hour MP3 costs next
// to a one-second WAV. Runs on a private PulseAudio server with null sinks, on the program's own
// output backend. Argument: a folder for the test files (kept between runs, because encoding the
// one-hour MP3 takes a minute).
#include <sndfile.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "PulseServer.h"
#include "TempDir.h"
#include "audio/AudioPlayer.h"
#include "audio/MixingAudioEngine.h"
#include "audio/pulse/PulseOutputSystem.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using vorlune::AudioPlayer;
using vorlune::MixingAudioEngine;
using vorlune::OutputSystem;
using vorlune::StreamHandle;

bool WriteTone(const std::string& path, double seconds, int rate, int channels) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> samples(frames * static_cast<std::size_t>(channels));
    for (std::size_t f = 0; f < frames; ++f) {
        const auto v = static_cast<float>(
            0.5 * std::sin(2.0 * std::numbers::pi * 440.0 * static_cast<double>(f) / rate));
        std::fill_n(samples.begin() + static_cast<std::ptrdiff_t>(f * channels), channels, v);
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
    return true;
}

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

long RssKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool WaitFirstSound(const MixingAudioEngine& engine, StreamHandle s) {
    const auto end = Clock::now() + 2s;
    while (!engine.FirstSoundTime(s)) {
        if (Clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(50us);
    }
    return true;
}

void Latency(OutputSystem& outputs, const std::string& wav, int period) {
    MixingAudioEngine engine(outputs, {.periodFrames = period});
    AudioPlayer player(engine);
    if (!player.Init()) {
        std::printf("latency: no output\n");
        return;
    }
    std::this_thread::sleep_for(100ms);
    std::vector<double> ms;
    for (int i = 0; i < 40; ++i) {
        const StreamHandle s = player.CreateStream(wav);
        const auto t0 = Clock::now();
        player.Play(s);
        if (WaitFirstSound(engine, s)) {
            ms.push_back(Ms(*engine.FirstSoundTime(s) - t0));
        }
        player.FreeStream(s);
        std::this_thread::sleep_for(std::chrono::microseconds(3000 + 1700 * (i % 7)));
    }
    std::sort(ms.begin(), ms.end());
    const auto spec = engine.CurrentOutputSpec();
    const double periodMs = 1000.0 * spec->periodFrames / spec->rate;
    double mean = 0;
    for (double v : ms) {
        mean += v / static_cast<double>(ms.size());
    }
    std::printf(
        "Play -> first sound handed to the output, period %d frames (%.2f ms) at %d Hz: mean %.2f "
        "ms, "
        "median %.2f ms, max %.2f ms (goal <= %.2f ms) over %zu plays\n",
        spec->periodFrames, periodMs, spec->rate, mean, ms[ms.size() / 2], ms.back(),
        periodMs + 2.0, ms.size());
}

void Cpu(OutputSystem& outputs, const std::string& wav, const char* what) {
    MixingAudioEngine engine(outputs);
    AudioPlayer player(engine);
    if (!player.Init()) {
        return;
    }
    std::this_thread::sleep_for(200ms);
    double c0 = CpuSeconds();
    auto t0 = Clock::now();
    std::this_thread::sleep_for(3s);
    const double idle =
        (CpuSeconds() - c0) / std::chrono::duration<double>(Clock::now() - t0).count();
    const StreamHandle s = player.CreateStream(wav);
    player.Play(s);
    c0 = CpuSeconds();
    t0 = Clock::now();
    std::this_thread::sleep_for(5s);
    const double playing =
        (CpuSeconds() - c0) / std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf(
        "CPU, one stream %s: %.2f %% of one core while playing (goal < 3 %%); device open "
        "and idle: %.2f %%\n",
        what, 100.0 * playing, 100.0 * idle);
}

void Start(OutputSystem& outputs, const std::string& path, const char* what) {
    MixingAudioEngine engine(outputs);
    AudioPlayer player(engine);
    if (!player.Init()) {
        return;
    }
    std::this_thread::sleep_for(200ms);
    const long rss0 = RssKiB();
    const auto t0 = Clock::now();
    const StreamHandle s = player.CreateStream(path);
    player.Play(s);
    const auto t1 = Clock::now();
    WaitFirstSound(engine, s);
    std::this_thread::sleep_for(2s);
    const long rss1 = RssKiB();
    std::printf(
        "%-22s CreateStream+Play %.3f ms, first sound after %.2f ms, resident memory "
        "+%ld KiB after 2 s of play (state %d)\n",
        what, Ms(t1 - t0), Ms(*engine.FirstSoundTime(s) - t0), rss1 - rss0,
        static_cast<int>(player.IsActive(s)));
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : "audio_bench_files";
    std::filesystem::create_directories(folder);
    const std::string second = (folder / "second.wav").string();
    const std::string long44 = (folder / "long44.wav").string();
    const std::string long48 = (folder / "long48.wav").string();
    const std::string hour = (folder / "hour.mp3").string();
    const std::string secondMp3 = (folder / "second.mp3").string();
    WriteTone(second, 1.0, 44100, 1);
    WriteTone(long44, 10.0, 44100, 2);
    WriteTone(long48, 10.0, 48000, 2);
    if (!std::filesystem::exists(hour)) {
        std::printf("encoding a one-hour MP3 once (about a minute)...\n");
        std::fflush(stdout);
        const std::string command =
            "sox -n -r 44100 -c 2 -t wav - synth 3600 sine 440 2>/dev/null"
            " | lame --quiet -b 128 - '" +
            hour + ".part' && mv '" + hour + ".part' '" + hour + "'";
        if (std::system(command.c_str()) != 0) {
            std::printf("could not encode %s\n", hour.c_str());
            return 1;
        }
    }
    if (std::system(("lame --quiet '" + second + "' '" + secondMp3 + "'").c_str()) != 0) {
        std::printf("could not encode %s\n", secondMp3.c_str());
        return 1;
    }
    const vorlune::test::TempDir server;
    const vorlune::test::PulseServer pulse(server.Path());
    if (!pulse.Ready()) {
        std::printf("no PulseAudio server:\n%s\n", pulse.Log().c_str());
        return 1;
    }
    vorlune::PulseOutputSystem outputs;
    std::printf("driver: %s\n", outputs.DriverName().c_str());
    Latency(outputs, second, 512);
    Latency(outputs, second, 256);
    Cpu(outputs, long48, "48 kHz stereo WAV resampled to 44.1 kHz");
    Cpu(outputs, long44, "44.1 kHz stereo WAV, no resampling");
    Start(outputs, second, "one-second WAV:");
    Start(outputs, secondMp3, "one-second MP3:");
    Start(outputs, hour, "one-hour MP3 (57 MB):");
    return 0;
}
