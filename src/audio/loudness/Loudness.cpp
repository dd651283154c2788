#include "audio/loudness/Loudness.h"

#include <algorithm>
#include <cmath>

namespace vorlune {

double LevellingGainDb(const Loudness& loudness) {
    if (!std::isfinite(loudness.integratedLufs)) {
        return 0.0;
    }
    double gain = std::min(kTargetLufs - loudness.integratedLufs, kMaxBoostDb);
    if (std::isfinite(loudness.truePeakDbtp)) {
        gain = std::min(gain, kTruePeakCeilingDbtp - loudness.truePeakDbtp);
    }
    return gain;
}

float LevelOfDb(double db) {
    return static_cast<float>(std::pow(10.0, db / 20.0));
}

}  // namespace vorlune
