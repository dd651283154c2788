#include "spectrum/SpectrumBars.h"

#include <algorithm>
#include <cmath>

namespace vorlune {
namespace {

// Comparisons leave this much slack so that float noise neither lifts nor drops a bar.
constexpr float kSlack = 1e-7F;
// A bar at or below this height stays where it is instead of falling further.
constexpr float kBarRest = 2.0F;
// A cap never sinks below this height, so it rests on the row just above an empty bar.
constexpr float kCapRest = 1.0F;

// Low bins get the largest gain (4060 for bin 0), falling linearly to zero at bin 203: the
// low end, where most of a voice or an effect lives, fills the strip; the top stays flat.
float BinHeight(float magnitude, int bin) {
    return magnitude * 20.0F * static_cast<float>(203 - bin);
}

void AdvanceBin(float& level, float target, float height) {
    if (target - level > kSlack) {
        level = target;
    } else if (level - kBarRest > kSlack) {
        // Never below zero: a negative height would drag down the average of its bar.
        level = std::max(level - kBarFall, 0.0F);
    }
    if (level - height > kSlack) {
        level = height;
    }
}

void AdvancePeak(float& peak, float average) {
    if (peak < average) {
        peak = average;
    } else if (peak - kCapRest > kSlack) {
        peak -= kCapFall;
    } else {
        peak = kCapRest;
    }
}

}  // namespace

SpectrumFrame AdvanceSpectrum(SpectrumLevels& levels, const FftMagnitudes& fft, int height) {
    const int rows = std::max(height, 0);
    const auto h = static_cast<float>(rows);
    SpectrumFrame frame{};
    for (int bar = 0; bar < kSpectrumBars; ++bar) {
        float sum = 0.0F;
        for (int k = 0; k < kBinsPerBar; ++k) {
            const int bin = bar * kBinsPerBar + k;
            const float magnitude = bin < kFftBins ? fft[bin] : 0.0F;
            float& level = levels.bins[bin];
            AdvanceBin(level, BinHeight(magnitude, bin), h);
            sum += level;
        }
        const float average = sum / static_cast<float>(kBinsPerBar);
        float& peak = levels.peaks[bar];
        AdvancePeak(peak, average);

        SpectrumBar& out = frame[bar];
        out.left = bar * kBarPitch;
        // average <= h, so truncation is the row the body's top falls in.
        out.bodyTop = average > 0.0F ? static_cast<int>(h - average) : rows;
        out.capRow = static_cast<int>(std::floor(h - peak - 1.0F));
    }
    return frame;
}

}  // namespace vorlune
