#include "SinkRecorder.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "AudioTestFiles.h"

namespace vorlune::test {
namespace {

constexpr std::size_t kFrameBytes = 4;

}  // namespace

SinkRecorder::SinkRecorder(const std::string& sink, const std::string& path)
    : SinkRecorder(Source{sink + ".monitor"}, path) {}

SinkRecorder::SinkRecorder(const Source& source, const std::string& path)
    : device_(source.name), path_(path) {
    Record(false);
}

void SinkRecorder::Record(bool append) {
    ChildProcess::Options options;
    options.outputPath = path_;
    options.append = append;
    parec_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"parec", "-d", device_, "--latency-msec=10", "--format=s16le",
                                 "--rate=" + std::to_string(kRate), "--channels=2"},
        options);
}

bool SinkRecorder::Restart() {
    parec_->Stop();
    // A frame cut in half by the old recorder would shift the channels of everything after it.
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path_, error);
    if (!error && size % kFrameBytes != 0) {
        std::filesystem::resize_file(path_, size - size % kFrameBytes, error);
    }
    Record(true);
    return parec_->Started();
}

std::size_t SinkRecorder::FramesSoFar() const {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path_, error);
    return error ? 0 : static_cast<std::size_t>(size) / kFrameBytes;
}

std::vector<float> SinkRecorder::Left() const {
    return FirstChannel(ReadS16File(path_), 2);
}

Heard Loudest(const std::vector<float>& mono, std::size_t from) {
    Heard best;
    constexpr std::size_t kWindow = 4096;
    std::size_t at = 0;
    for (std::size_t i = from; i + kWindow <= mono.size(); i += kWindow / 2) {
        const double rms = Rms(mono.data() + i, kWindow);
        if (rms > best.rms) {
            best.rms = rms;
            at = i;
        }
    }
    if (best.rms > 0.0) {
        best.frequency = PeakFrequency(mono.data() + at, 2048, SinkRecorder::kRate);
    }
    return best;
}

bool HeardTone(const SinkRecorder& sink, std::size_t from, double frequency, double minRms) {
    const Heard heard = Loudest(sink.Left(), from);
    return heard.rms > minRms && std::fabs(heard.frequency - frequency) < 25.0;
}

std::optional<std::size_t> FirstLoudFrame(const std::vector<float>& mono, std::size_t from,
                                          float threshold) {
    for (std::size_t i = from; i < mono.size(); ++i) {
        if (std::fabs(mono[i]) > threshold) {
            return i;
        }
    }
    return std::nullopt;
}

std::vector<float> Peaks(const std::vector<float>& mono, std::size_t from, std::size_t window) {
    std::vector<float> peaks;
    for (std::size_t i = from; window > 0 && i + window <= mono.size(); i += window) {
        float peak = 0.0F;
        for (std::size_t j = i; j < i + window; ++j) {
            peak = std::max(peak, std::fabs(mono[j]));
        }
        peaks.push_back(peak);
    }
    return peaks;
}

double HeardMilliseconds(const std::vector<float>& mono, std::size_t from, float threshold) {
    const std::vector<float> peaks = Peaks(mono, from, SinkRecorder::kRate / 1000);
    return static_cast<double>(
        std::count_if(peaks.begin(), peaks.end(), [&](float p) { return p > threshold; }));
}

std::pair<double, double> ToneWith(const std::vector<float>& mono, std::size_t from,
                                   double frequency, double other) {
    constexpr std::size_t kWindow = 4800;
    std::pair<double, double> best;
    for (std::size_t i = from; i + kWindow <= mono.size(); i += kWindow / 2) {
        const double level =
            ToneAmplitude(mono.data() + i, kWindow, frequency, SinkRecorder::kRate);
        if (level > best.first) {
            best = {level, ToneAmplitude(mono.data() + i, kWindow, other, SinkRecorder::kRate)};
        }
    }
    return best;
}

}  // namespace vorlune::test
