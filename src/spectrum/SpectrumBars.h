#pragma once

#include <array>
#include <cstddef>

namespace vorlune {

// Magnitudes of a Hann-windowed 512-sample FFT of the playing sound, lowest frequency first.
// A full-scale sine peaks at about 0.5; the bar gains saturate long before that, so any scale
// of that order draws the same strip.
inline constexpr int kFftBins = 256;
using FftMagnitudes = std::array<float, kFftBins>;

// 170 bars, each the average of three bins, 2 pixels wide and 3 pixels apart.
inline constexpr int kSpectrumBars = 170;
inline constexpr int kBinsPerBar = 3;
inline constexpr int kBarWidth = 2;
inline constexpr int kBarPitch = 3;

// How fast the strip settles once the sound gets quieter, in pixels per frame.
inline constexpr float kBarFall = 6.0F;
inline constexpr float kCapFall = 1.0F;

// Bin heights and cap heights in pixels, kept from one frame to the next so that bars fall
// back smoothly. Value-initialised levels are an empty strip.
struct SpectrumLevels {
    std::array<float, static_cast<std::size_t>(kSpectrumBars) * kBinsPerBar> bins{};
    std::array<float, kSpectrumBars> peaks{};
};

// Where one bar lands in a frame; rows count from the top of the frame.
struct SpectrumBar {
    int left = 0;     // first of its kBarWidth pixel columns
    int bodyTop = 0;  // the body covers rows bodyTop .. height - 1; bodyTop == height: no body
    int capRow = 0;   // the one-row cap; -1 (above the frame) when the bar is at full height
};
using SpectrumFrame = std::array<SpectrumBar, kSpectrumBars>;

// Takes one frame of FFT data into levels and lays out the bars of a frame `height` pixels
// high. Only bins 0..202 have a positive gain, so bars from x = 204 on never rise.
SpectrumFrame AdvanceSpectrum(SpectrumLevels& levels, const FftMagnitudes& fft, int height);

}  // namespace vorlune
