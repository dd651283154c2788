#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vorlune::test {

// Interleaved samples as a 16-bit WAV file (FLAC when the path ends in ".flac").
bool WriteWav(const std::string& path, int rate, int channels, const std::vector<float>& samples);

// A sine tone written as a 16-bit WAV file.
struct Tone {
    double frequency = 440.0;
    double seconds = 0.5;
    int rate = 44100;
    int channels = 1;
    double amplitude = 0.8;
    // When set, the level rises evenly from `amplitude` to this by the end, so the level of a
    // recording tells where in the file it is.
    double endAmplitude = -1.0;
};
// A FLAC file when the path ends in ".flac", else a 16-bit WAV.
bool WriteToneWav(const std::string& path, const Tone& tone);
// White noise (the same every time) as a 16-bit mono WAV file: a sound whose spectrum changes
// from one moment to the next.
bool WriteNoiseWav(const std::string& path, double seconds, double amplitude, int rate = 44100);
// A pulse wave as a 16-bit mono WAV file: amplitude for duty (0..1) of each period, then
// silence; a duty of 0.5 is a square wave.
bool WritePulseWav(const std::string& path, double frequency, double seconds, double amplitude,
                   double duty, int rate = 44100);
// Encodes a WAV file to MP3 with the lame command-line encoder.
bool EncodeMp3(const std::string& wavPath, const std::string& mp3Path);

// Interleaved 16-bit samples as parec records them.
std::vector<float> ReadS16File(const std::string& path);

// The first channel of interleaved samples.
std::vector<float> FirstChannel(const std::vector<float>& interleaved, int channels);
// Runs of sound separated by at least minGap silent samples: [begin, end) pairs.
struct Run {
    std::size_t begin = 0;
    std::size_t end = 0;
};
std::vector<Run> SoundRuns(const std::vector<float>& mono, std::size_t minGap);
std::size_t CountNonSilent(const std::vector<float>& mono);

double Rms(const float* samples, std::size_t count);
// Amplitude of the frequency component in samples (Goertzel over a Hann window, scaled so a
// sine of amplitude A reads A).
double ToneAmplitude(const float* samples, std::size_t count, double frequency, int rate);
// The frequency of the strongest bin of a Hann-windowed DFT over count samples.
double PeakFrequency(const float* samples, std::size_t count, int rate);

}  // namespace vorlune::test
