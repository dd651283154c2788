#include "audio/Fft512.h"

#include <kiss_fftr.h>

#include <cmath>
#include <numbers>

namespace vorlune {

Fft512::Fft512() : config_(kiss_fftr_alloc(static_cast<int>(kSize), 0, nullptr, nullptr)) {
    for (std::size_t i = 0; i < kSize; ++i) {
        window_[i] = static_cast<float>(
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / kSize));
    }
}

Fft512::~Fft512() {
    kiss_fftr_free(config_);
}

void Fft512::Magnitudes(std::span<const float, kSize> samples, std::span<float, kBins> out) {
    for (std::size_t i = 0; i < kSize; ++i) {
        windowed_[i] = samples[i] * window_[i];
    }
    std::array<kiss_fft_cpx, kBins + 1> spectrum{};
    kiss_fftr(config_, windowed_.data(), spectrum.data());
    constexpr float kScale = 2.0F / static_cast<float>(kSize);
    for (std::size_t k = 0; k < kBins; ++k) {
        out[k] = std::hypot(spectrum[k].r, spectrum[k].i) * kScale;
    }
}

}  // namespace vorlune
