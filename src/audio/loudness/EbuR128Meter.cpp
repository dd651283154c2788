#include "audio/loudness/EbuR128Meter.h"

#include <ebur128.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace vorlune {
namespace {

constexpr sf_count_t kBlockFrames = 4096;

struct CloseFile {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
struct DestroyState {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

Measurement Damaged() {
    return {};
}

}  // namespace

Measurement MeasureLoudness(const std::string& path, const std::stop_token& stop) {
    // A FIFO would block the measuring thread for good, a directory fails late.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return Damaged();
    }
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, CloseFile> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file || info.channels <= 0 || info.samplerate <= 0) {
        return Damaged();
    }
    const std::unique_ptr<ebur128_state, DestroyState> state(ebur128_init(
        static_cast<unsigned>(info.channels), static_cast<unsigned long>(info.samplerate),
        EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK));
    if (!state) {
        return Damaged();
    }
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames * info.channels));
    for (;;) {
        if (stop.stop_requested()) {
            return {.kind = Measurement::Kind::Stopped, .loudness = {}};
        }
        const sf_count_t got = sf_readf_float(file.get(), block.data(), kBlockFrames);
        if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
            return Damaged();
        }
        if (got <= 0) {
            break;
        }
        if (ebur128_add_frames_float(state.get(), block.data(), static_cast<std::size_t>(got)) !=
            EBUR128_SUCCESS) {
            return Damaged();
        }
    }
    Measurement result{.kind = Measurement::Kind::Measured, .loudness = {}};
    if (ebur128_loudness_global(state.get(), &result.loudness.integratedLufs) != EBUR128_SUCCESS) {
        return Damaged();
    }
    double peak = 0.0;
    for (unsigned c = 0; c < static_cast<unsigned>(info.channels); ++c) {
        double channelPeak = 0.0;
        if (ebur128_true_peak(state.get(), c, &channelPeak) != EBUR128_SUCCESS) {
            return Damaged();
        }
        peak = std::max(peak, channelPeak);
    }
    result.loudness.truePeakDbtp = 20.0 * std::log10(peak);  // minus infinity for silence
    return result;
}

}  // namespace vorlune
