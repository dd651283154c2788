#pragma once

#include <array>
#include <cstddef>
#include <span>

struct kiss_fftr_state;

namespace vorlune {

// Magnitude spectrum of 512 samples: Hann window, real FFT, bins 0..255 (DC first, Nyquist
// dropped). The scale is |X[k]| * 2 / 512, so a full-scale sine on a bin reads 0.5 (the Hann
// window halves the amplitude) and between two bins a little less, about 0.42.
class Fft512 {
  public:
    static constexpr std::size_t kSize = 512;
    static constexpr std::size_t kBins = kSize / 2;

    Fft512();
    ~Fft512();
    Fft512(const Fft512&) = delete;
    Fft512& operator=(const Fft512&) = delete;

    void Magnitudes(std::span<const float, kSize> samples, std::span<float, kBins> out);

  private:
    kiss_fftr_state* config_;
    std::array<float, kSize> window_{};
    std::array<float, kSize> windowed_{};
};

}  // namespace vorlune
