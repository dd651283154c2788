#include "audio/loudness/Loudness.h"

#include <algorithm>
#include <cmath>

namespace vorlune {

namespace {

// The gain towards the target, the boost capped, before the true peak has its say.
double UnpeakedGainDb(double integratedLufs) {
    return std::min(kTargetLufs - integratedLufs, kMaxBoostDb);
}

}  // namespace

double LevellingGainDb(const Loudness& loudness) {
    if (!std::isfinite(loudness.integratedLufs)) {
        return 0.0;
    }
    double gain = UnpeakedGainDb(loudness.integratedLufs);
    if (std::isfinite(loudness.truePeakDbtp)) {
        gain = std::min(gain, kTruePeakCeilingDbtp - loudness.truePeakDbtp);
    }
    return gain;
}

double LimitingPeakDbtp(double integratedLufs) {
    if (!std::isfinite(integratedLufs)) {
        return HUGE_VAL;
    }
    return kTruePeakCeilingDbtp - UnpeakedGainDb(integratedLufs);
}

float LevelOfDb(double db) {
    return static_cast<float>(std::pow(10.0, db / 20.0));
}

}  // namespace vorlune
