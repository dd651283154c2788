#include "AudioTestFiles.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <numbers>

namespace vorlune::test {

bool WriteWav(const std::string& path, int rate, int channels, const std::vector<float>& samples) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    const bool flac = path.ends_with(".flac");
    info.format = (flac ? SF_FORMAT_FLAC : SF_FORMAT_WAV) | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const auto frames =
        static_cast<sf_count_t>(samples.size() / static_cast<std::size_t>(channels));
    const sf_count_t written = sf_writef_float(file, samples.data(), frames);
    sf_close(file);
    return written == frames;
}

bool WriteToneWav(const std::string& path, const Tone& tone) {
    const auto frames = static_cast<std::size_t>(tone.seconds * tone.rate);
    std::vector<float> samples(frames * static_cast<std::size_t>(tone.channels));
    for (std::size_t f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / tone.rate;
        const double level =
            tone.endAmplitude < 0.0
                ? tone.amplitude
                : tone.amplitude + (tone.endAmplitude - tone.amplitude) * t / tone.seconds;
        const auto value =
            static_cast<float>(level * std::sin(2.0 * std::numbers::pi * tone.frequency * t));
        for (int c = 0; c < tone.channels; ++c) {
            samples[f * static_cast<std::size_t>(tone.channels) + static_cast<std::size_t>(c)] =
                value;
        }
    }
    return WriteWav(path, tone.rate, tone.channels, samples);
}

bool WritePulseWav(const std::string& path, double frequency, double seconds, double amplitude,
                   double duty, int rate) {
    std::vector<float> samples(static_cast<std::size_t>(seconds * rate));
    for (std::size_t f = 0; f < samples.size(); ++f) {
        const double phase = std::fmod(static_cast<double>(f) * frequency / rate, 1.0);
        samples[f] = phase < duty ? static_cast<float>(amplitude) : 0.0F;
    }
    return WriteWav(path, rate, 1, samples);
}

bool WriteNoiseWav(const std::string& path, double seconds, double amplitude, int rate) {
    std::vector<float> samples(static_cast<std::size_t>(seconds * rate));
    std::uint32_t state = 2463534242U;  // xorshift32: the same noise on every run
    for (float& sample : samples) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        sample = static_cast<float>(amplitude * (static_cast<double>(state) / 2147483648.0 - 1.0));
    }
    return WriteWav(path, rate, 1, samples);
}

bool EncodeMp3(const std::string& wavPath, const std::string& mp3Path) {
    const std::string command = "lame --quiet '" + wavPath + "' '" + mp3Path + "'";
    return std::system(command.c_str()) == 0;
}

std::vector<float> ReadS16File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        std::int16_t v = 0;
        std::copy_n(bytes.data() + 2 * i, 2, reinterpret_cast<char*>(&v));
        samples[i] = static_cast<float>(v) / 32768.0F;
    }
    return samples;
}

std::vector<float> FirstChannel(const std::vector<float>& interleaved, int channels) {
    std::vector<float> mono;
    mono.reserve(interleaved.size() / static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < interleaved.size(); i += static_cast<std::size_t>(channels)) {
        mono.push_back(interleaved[i]);
    }
    return mono;
}

std::vector<Run> SoundRuns(const std::vector<float>& mono, std::size_t minGap) {
    std::vector<Run> runs;
    std::size_t silent = minGap;
    for (std::size_t i = 0; i < mono.size(); ++i) {
        if (mono[i] != 0.0F) {
            if (silent >= minGap) {
                runs.push_back({i, i + 1});
            }
            runs.back().end = i + 1;
            silent = 0;
        } else {
            ++silent;
        }
    }
    return runs;
}

std::size_t CountNonSilent(const std::vector<float>& mono) {
    std::size_t count = 0;
    for (float s : mono) {
        count += s != 0.0F ? 1 : 0;
    }
    return count;
}

double Rms(const float* samples, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return count == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(count));
}

namespace {

double BinAmplitude(const float* samples, std::size_t count, double frequency, int rate) {
    double re = 0.0;
    double im = 0.0;
    double windowSum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                              static_cast<double>(count));
        const double phase = 2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate;
        re += samples[i] * w * std::cos(phase);
        im -= samples[i] * w * std::sin(phase);
        windowSum += w;
    }
    return 2.0 * std::hypot(re, im) / windowSum;
}

}  // namespace

double ToneAmplitude(const float* samples, std::size_t count, double frequency, int rate) {
    return BinAmplitude(samples, count, frequency, rate);
}

double PeakFrequency(const float* samples, std::size_t count, int rate) {
    double best = 0.0;
    double bestFrequency = 0.0;
    const double step = static_cast<double>(rate) / static_cast<double>(count);
    for (double f = step; f < rate / 2.0; f += step) {
        const double a = BinAmplitude(samples, count, f, rate);
        if (a > best) {
            best = a;
            bestFrequency = f;
        }
    }
    return bestFrequency;
}

}  // namespace vorlune::test
