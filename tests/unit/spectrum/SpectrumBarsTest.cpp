#include "spectrum/SpectrumBars.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace vorlune {
namespace {

constexpr int kHeight = 27;
constexpr int kFirstSilentBar = 68;  // bins 204.. have no positive gain

// Magnitudes of a Hann-windowed 512-sample sine `cycles` periods long per window, scaled so
// that a full-scale sine peaks at about 0.5, the way the audio engine delivers them.
FftMagnitudes ToneMagnitudes(double cycles, double amplitude) {
    constexpr int kSamples = 512;
    constexpr double kTurn = 2.0 * std::numbers::pi / kSamples;
    static const auto kCos = [] {
        std::array<double, kSamples> table{};
        for (int n = 0; n < kSamples; ++n) {
            table[n] = std::cos(kTurn * n);
        }
        return table;
    }();
    std::array<double, kSamples> windowed{};
    for (int n = 0; n < kSamples; ++n) {
        windowed[n] = (0.5 - 0.5 * kCos[n]) * amplitude * std::sin(kTurn * cycles * n);
    }
    FftMagnitudes out{};
    for (int k = 0; k < kFftBins; ++k) {
        double re = 0.0;
        double im = 0.0;
        for (int n = 0; n < kSamples; ++n) {
            const int turn = (k * n) % kSamples;
            re += windowed[n] * kCos[turn];
            im -= windowed[n] * kCos[(turn + kSamples * 3 / 4) % kSamples];  // sin
        }
        out[k] = static_cast<float>(std::hypot(re, im) * 2.0 / kSamples);
    }
    return out;
}

bool BarVisible(const SpectrumBar& bar) {
    // Rows kHeight - 2 and kHeight - 1 are hidden under the panel's border.
    return bar.bodyTop < kHeight - 2 || (bar.capRow >= 0 && bar.capRow < kHeight - 2);
}

TEST(SpectrumBars, FullScaleSinePeaksAtAboutHalf) {
    const FftMagnitudes tone = ToneMagnitudes(20.0, 1.0);
    EXPECT_NEAR(tone[20], 0.5f, 1e-4f);
    EXPECT_NEAR(tone[19], 0.25f, 1e-4f);
}

TEST(SpectrumBars, LowToneFillsTheLeftmostBarsToFullHeight) {
    SpectrumLevels levels;
    // A full-scale tone of about 220 Hz at 44.1 kHz.
    const SpectrumFrame frame = AdvanceSpectrum(levels, ToneMagnitudes(2.5, 1.0), kHeight);
    for (int bin = 0; bin < 6; ++bin) {
        EXPECT_FLOAT_EQ(levels.bins[bin], 27.0f) << "bin " << bin;
    }
    EXPECT_EQ(frame[0].left, 0);
    EXPECT_EQ(frame[0].bodyTop, 0);
    EXPECT_EQ(frame[0].capRow, -1);  // a full bar's cap sits above the frame
    EXPECT_EQ(frame[1].left, 3);
    EXPECT_EQ(frame[1].bodyTop, 0);
    EXPECT_EQ(frame[169].left, 507);
    EXPECT_FALSE(BarVisible(frame[100]));
}

TEST(SpectrumBars, BarsFromX204OnNeverRise) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    SpectrumLevels levels;
    std::vector<FftMagnitudes> inputs;
    for (int bin = 0; bin < kFftBins; ++bin) {
        inputs.push_back(ToneMagnitudes(bin + 0.3, 1.0));
    }
    FftMagnitudes loud{};
    loud.fill(1.0f);
    inputs.push_back(loud);
    loud.fill(1e30f);
    inputs.push_back(loud);
    loud.fill(kInf);
    inputs.push_back(loud);

    bool lastRisingBarRose = false;
    for (const FftMagnitudes& input : inputs) {
        const SpectrumFrame frame = AdvanceSpectrum(levels, input, kHeight);
        for (int bar = kFirstSilentBar; bar < kSpectrumBars; ++bar) {
            ASSERT_GE(frame[bar].left, 204);
            ASSERT_EQ(frame[bar].bodyTop, kHeight) << "bar " << bar;
            ASSERT_EQ(frame[bar].capRow, kHeight - 2) << "bar " << bar;
        }
        lastRisingBarRose = lastRisingBarRose || frame[kFirstSilentBar - 1].bodyTop < kHeight;
        for (float level : levels.bins) {
            ASSERT_GE(level, 0.0f);
            ASSERT_LE(level, 27.0f);
        }
    }
    EXPECT_TRUE(lastRisingBarRose);
    EXPECT_EQ(AdvanceSpectrum(levels, loud, kHeight)[kFirstSilentBar - 1].left, 201);
}

TEST(SpectrumBars, HeightsAreClampedToTheFrameHeightOfEachFrame) {
    SpectrumLevels levels;
    FftMagnitudes loud{};
    loud.fill(1.0f);
    const SpectrumFrame small = AdvanceSpectrum(levels, loud, 10);
    EXPECT_FLOAT_EQ(levels.bins[0], 10.0f);
    EXPECT_EQ(small[0].bodyTop, 0);
    const SpectrumFrame tall = AdvanceSpectrum(levels, loud, kHeight);
    EXPECT_FLOAT_EQ(levels.bins[0], 27.0f);
    EXPECT_EQ(tall[0].bodyTop, 0);

    // A bar whose average is below one pixel gets a body one row high, on the bottom row.
    SpectrumLevels faint;
    FftMagnitudes whisper{};
    whisper[0] = 1.5f / 4060.0f;
    const SpectrumFrame frame = AdvanceSpectrum(faint, whisper, kHeight);
    EXPECT_NEAR(faint.bins[0], 1.5f, 1e-4f);
    EXPECT_EQ(frame[0].bodyTop, kHeight - 1);
    EXPECT_EQ(frame[0].capRow, kHeight - 2);
    EXPECT_FALSE(BarVisible(frame[0]));
}

TEST(SpectrumBars, SilenceLeavesEveryBarEmptyWithItsCapOutOfSight) {
    SpectrumLevels levels;
    for (int i = 0; i < 3; ++i) {
        const SpectrumFrame frame = AdvanceSpectrum(levels, FftMagnitudes{}, kHeight);
        for (int bar = 0; bar < kSpectrumBars; ++bar) {
            EXPECT_EQ(frame[bar].left, bar * 3);
            EXPECT_EQ(frame[bar].bodyTop, kHeight);
            EXPECT_EQ(frame[bar].capRow, kHeight - 2);
        }
    }
}

TEST(SpectrumBars, BarsFallSixPixelsAndCapsOnePixelPerFrame) {
    SpectrumLevels levels;
    FftMagnitudes loud{};
    loud.fill(1.0f);
    AdvanceSpectrum(levels, loud, kHeight);

    const FftMagnitudes silence{};
    const int expectedTops[] = {6, 12, 18, 24, kHeight, kHeight};
    for (int frameNo = 0; frameNo < 6; ++frameNo) {
        const SpectrumFrame frame = AdvanceSpectrum(levels, silence, kHeight);
        EXPECT_EQ(frame[0].bodyTop, expectedTops[frameNo]) << "frame " << frameNo;
        EXPECT_EQ(frame[0].capRow, frameNo) << "frame " << frameNo;
    }
    // 3 is above the resting height of 2, and the fall stops at zero rather than below it.
    EXPECT_FLOAT_EQ(levels.bins[0], 0.0f);

    for (int frameNo = 0; frameNo < 40; ++frameNo) {
        AdvanceSpectrum(levels, silence, kHeight);
    }
    EXPECT_FLOAT_EQ(levels.peaks[0], 1.0f);
    EXPECT_EQ(AdvanceSpectrum(levels, silence, kHeight)[0].capRow, kHeight - 2);

    // A louder frame lifts a falling bar at once; a bar at 2 or less stays until lifted.
    SpectrumLevels rising;
    FftMagnitudes quiet{};
    quiet[0] = 1.9f / 4060.0f;
    AdvanceSpectrum(rising, quiet, kHeight);
    AdvanceSpectrum(rising, silence, kHeight);
    EXPECT_NEAR(rising.bins[0], 1.9f, 1e-4f);
    EXPECT_EQ(AdvanceSpectrum(rising, loud, kHeight)[0].bodyTop, 0);
}

}  // namespace
}  // namespace vorlune
