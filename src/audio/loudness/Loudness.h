#pragma once

namespace vorlune {

// A sound's loudness as EBU R128 measures it: integrated loudness in LUFS (minus infinity for
// silence) and the highest true peak of its channels in dBTP. Where the true peak stays below
// the one that would limit the levelling gain, the peak may be a bound above it instead: it
// then decides nothing, and finding it exactly is most of the cost of measuring.
struct Loudness {
    double integratedLufs = 0.0;
    double truePeakDbtp = 0.0;

    bool operator==(const Loudness&) const = default;
};

// What a measurement found: the loudness, that the file is damaged or unreadable, or nothing
// because it was asked to stop.
struct Measurement {
    enum class Kind { Measured, Damaged, Stopped };
    Kind kind = Kind::Damaged;
    Loudness loudness;
};

// Streams are levelled to -16 LUFS: loud enough to sit with a voice on a live stream (platforms
// play around -14 to -16 and a host's voice usually sits near there), yet with room for
// short effects to keep their punch below the -1 dBTP ceiling, where -14 would leave most
// already mastered sounds held at their peak and thus not levelled at all.
inline constexpr double kTargetLufs = -16.0;
// No sound is played past this true peak, so the codec of the stream never clips it.
inline constexpr double kTruePeakCeilingDbtp = -1.0;
// Whispers are lifted by this much at most, so their noise floor does not become a roar.
inline constexpr double kMaxBoostDb = 12.0;

// The gain in dB that levels a sound: towards the target, at most the boost cap, never lifting
// the true peak past the ceiling. 0 dB for a sound with no measurable loudness (silence).
double LevellingGainDb(const Loudness& loudness);
// The lowest true peak in dBTP that limits the gain of a sound of this integrated loudness;
// plus infinity for silence, whose gain nothing limits.
double LimitingPeakDbtp(double integratedLufs);
// A gain in dB as a linear volume factor.
float LevelOfDb(double db);

}  // namespace vorlune
