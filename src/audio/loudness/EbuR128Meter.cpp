#include "audio/loudness/EbuR128Meter.h"

#include <ebur128.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace vorlune {
namespace {

constexpr sf_count_t kBlockFrames = 4096;
// Frames fed either side of a sample that may make the peak: more than the 25 input frames the
// widest of libebur128's interpolation filters spans (49 taps at 2x), so every oversampled
// value such a sample takes part in is computed from the file's own frames, as in a full pass.
constexpr sf_count_t kPeakReachFrames = 32;

struct CloseFile {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
struct DestroyState {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using File = std::unique_ptr<SNDFILE, CloseFile>;
using State = std::unique_ptr<ebur128_state, DestroyState>;
using PeakOf = int (*)(ebur128_state*, unsigned, double*);

enum class Read { Done, Damaged, Stopped };

Measurement Ended(Read read) {
    return {.kind = read == Read::Stopped ? Measurement::Kind::Stopped : Measurement::Kind::Damaged,
            .loudness = {}};
}

// How far libebur128's true peak can rise above the highest sample in its reach: the sum of
// the magnitudes of the taps of its worst interpolation phase (a 49-tap Hann-windowed sinc, 4x
// below 96 kHz, 2x below 192 kHz, no oversampling above), rounded up.
double MaxOvershoot(int rate) {
    if (rate < 96000) {
        return 1.87;  // 1.8642
    }
    return rate < 192000 ? 2.31 : 1.0;  // 2.3068
}

double Db(double level) {
    return 20.0 * std::log10(level);  // minus infinity for silence
}

File Open(const std::string& path, SF_INFO& info) {
    // A FIFO would block the measuring thread for good, a directory fails late.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return nullptr;
    }
    File file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file || info.channels <= 0 || info.samplerate <= 0) {
        return nullptr;
    }
    return file;
}

State StateFor(const SF_INFO& info, int mode) {
    return State(ebur128_init(static_cast<unsigned>(info.channels),
                              static_cast<unsigned long>(info.samplerate), mode));
}

bool Feed(ebur128_state* state, const float* frames, sf_count_t count) {
    return ebur128_add_frames_float(state, frames, static_cast<std::size_t>(count)) ==
           EBUR128_SUCCESS;
}

Read FeedAll(SNDFILE* file, int channels, ebur128_state* state, const std::stop_token& stop) {
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames * channels));
    for (;;) {
        if (stop.stop_requested()) {
            return Read::Stopped;
        }
        const sf_count_t got = sf_readf_float(file, block.data(), kBlockFrames);
        if (sf_error(file) != SF_ERR_NO_ERROR) {
            return Read::Damaged;
        }
        if (got <= 0) {
            return Read::Done;
        }
        if (!Feed(state, block.data(), got)) {
            return Read::Damaged;
        }
    }
}

// Feeds the true-peak meter only the frames within reach of a sample at or above threshold,
// each frame once and in order. An oversampled value no such sample takes part in stays below
// threshold * MaxOvershoot whatever frames it is computed from (also where the runs fed join),
// so every value at or above that is found exactly and no false one reaches it.
Read FeedNearPeaks(SNDFILE* file, int channels, ebur128_state* state, double threshold,
                   const std::stop_token& stop) {
    const auto width = static_cast<std::size_t>(channels);
    // Each block is read behind the last frames of the one before, which a peak early in the
    // block needs fed before it. Positions count frames from the buffer's start.
    std::vector<float> buffer(static_cast<std::size_t>(kPeakReachFrames + kBlockFrames) * width);
    const auto at = [&](sf_count_t frame) {
        return buffer.data() + static_cast<std::size_t>(frame) * width;
    };
    sf_count_t kept = 0;
    sf_count_t passed = 0;  // everything before is fed or passed over
    sf_count_t needed = 0;  // the run being fed goes on at least to here
    for (;;) {
        if (stop.stop_requested()) {
            return Read::Stopped;
        }
        const sf_count_t got = sf_readf_float(file, at(kept), kBlockFrames);
        if (sf_error(file) != SF_ERR_NO_ERROR) {
            return Read::Damaged;
        }
        if (got <= 0) {
            return Read::Done;
        }
        const sf_count_t end = kept + got;
        sf_count_t run = needed > kept ? kept : -1;
        for (sf_count_t i = kept; i < end; ++i) {
            if (std::any_of(at(i), at(i + 1), [&](float s) { return std::fabs(s) >= threshold; })) {
                if (run < 0) {
                    run = std::max(passed, i - kPeakReachFrames);
                }
                needed = i + kPeakReachFrames + 1;
            }
            if (run >= 0 && i + 1 >= needed) {
                if (!Feed(state, at(run), i + 1 - run)) {
                    return Read::Damaged;
                }
                passed = i + 1;
                run = -1;
            }
        }
        if (run >= 0) {
            if (!Feed(state, at(run), end - run)) {
                return Read::Damaged;
            }
            passed = end;
        }
        const sf_count_t shift = end - std::min(end, kPeakReachFrames);
        std::copy(at(shift), at(end), buffer.begin());
        kept = end - shift;
        passed = std::max<sf_count_t>(passed - shift, 0);
        needed -= shift;
    }
}

std::optional<double> HighestPeak(ebur128_state* state, int channels, PeakOf peakOf) {
    double peak = 0.0;
    for (unsigned c = 0; c < static_cast<unsigned>(channels); ++c) {
        double channelPeak = 0.0;
        if (peakOf(state, c, &channelPeak) != EBUR128_SUCCESS) {
            return std::nullopt;
        }
        peak = std::max(peak, channelPeak);
    }
    return peak;
}

Measurement Measure(const std::string& path, const std::stop_token& stop, bool fully) {
    SF_INFO info{};
    const File file = Open(path, info);
    if (!file) {
        return {};
    }
    const State state = StateFor(
        info, EBUR128_MODE_I | (fully ? EBUR128_MODE_TRUE_PEAK : EBUR128_MODE_SAMPLE_PEAK));
    if (!state) {
        return {};
    }
    if (const Read read = FeedAll(file.get(), info.channels, state.get(), stop);
        read != Read::Done) {
        return Ended(read);
    }
    Measurement result{.kind = Measurement::Kind::Measured, .loudness = {}};
    if (ebur128_loudness_global(state.get(), &result.loudness.integratedLufs) != EBUR128_SUCCESS) {
        return {};
    }
    const std::optional<double> peak =
        HighestPeak(state.get(), info.channels, fully ? ebur128_true_peak : ebur128_sample_peak);
    if (!peak) {
        return {};
    }
    if (fully) {
        result.loudness.truePeakDbtp = Db(*peak);
        return result;
    }
    // No sample comes near enough to the peak that would limit the gain: the bound will do.
    const double limit = LimitingPeakDbtp(result.loudness.integratedLufs);
    const double overshoot = MaxOvershoot(info.samplerate);
    const double threshold = std::pow(10.0, limit / 20.0) / overshoot;
    if (*peak < threshold) {
        result.loudness.truePeakDbtp = Db(*peak * overshoot);
        return result;
    }
    // A second pass measures the true peak near the samples that could make it; a peak found
    // below the limit is only known to stay below it.
    SF_INFO again{};
    const File reread = Open(path, again);
    const State peaks = StateFor(info, EBUR128_MODE_TRUE_PEAK);
    if (!reread || again.channels != info.channels || again.samplerate != info.samplerate ||
        !peaks) {
        return {};
    }
    if (const Read read = FeedNearPeaks(reread.get(), info.channels, peaks.get(), threshold, stop);
        read != Read::Done) {
        return Ended(read);
    }
    const std::optional<double> truePeak =
        HighestPeak(peaks.get(), info.channels, ebur128_true_peak);
    if (!truePeak) {
        return {};
    }
    result.loudness.truePeakDbtp = std::max(Db(*truePeak), limit);
    return result;
}

}  // namespace

Measurement MeasureLoudness(const std::string& path, const std::stop_token& stop) {
    return Measure(path, stop, false);
}

Measurement MeasureLoudnessFully(const std::string& path, const std::stop_token& stop) {
    return Measure(path, stop, true);
}

}  // namespace vorlune
