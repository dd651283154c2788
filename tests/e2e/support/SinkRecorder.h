#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ChildProcess.h"

namespace vorlune::test {

// Records what a PulseAudio sink plays (parec on its monitor, 16-bit stereo at 48 kHz) into a
// file, or what any capture device carries. An idle null sink works in 2-second blocks: start
// the recorder about 2.5 s before the sound that matters. The recorder ends with its device;
// Restart() records it again once it is back (or the server is), adding to the same file.
class SinkRecorder {
  public:
    static constexpr int kRate = 48000;

    SinkRecorder(const std::string& sink, const std::string& path);
    // Records the capture device `source` itself rather than a sink's monitor. PulseAudio moves
    // such a recorder when the default capture device changes away from its device.
    struct Source {
        std::string name;
    };
    SinkRecorder(const Source& source, const std::string& path);
    bool Started() const { return parec_->Started(); }
    bool Recording() { return parec_->Running(); }
    bool Restart();

    // Frames in the file so far: a mark to look at only what came after it.
    std::size_t FramesSoFar() const;
    // The left channel of what is in the file now.
    std::vector<float> Left() const;
    void Stop() { parec_->Stop(); }

  private:
    void Record(bool append);

    std::string device_;
    std::string path_;
    std::unique_ptr<ChildProcess> parec_;
};

// What a recording holds: the RMS of its loudest 4096-frame stretch and the strongest
// frequency there.
struct Heard {
    double rms = 0.0;
    double frequency = 0.0;
};
Heard Loudest(const std::vector<float>& mono, std::size_t from = 0);

// Whether a tone of `frequency` at an RMS above `minRms` is in the recording after `from`.
bool HeardTone(const SinkRecorder& sink, std::size_t from, double frequency = 440.0,
               double minRms = 0.2);

// The first frame at or after `from` whose magnitude exceeds threshold.
std::optional<std::size_t> FirstLoudFrame(const std::vector<float>& mono, std::size_t from,
                                          float threshold);

// The strongest stretch of `frequency` in a recording after `from`: its amplitude, and the
// amplitude of `other` in the same stretch.
std::pair<double, double> ToneWith(const std::vector<float>& mono, std::size_t from,
                                   double frequency, double other);

// The peak magnitude of each stretch of `window` frames from `from` on.
std::vector<float> Peaks(const std::vector<float>& mono, std::size_t from, std::size_t window);
// Milliseconds of the recording after `from` (at kRate) whose 1 ms stretches peak above
// `threshold`: how long a tone was heard, however it was cut up.
double HeardMilliseconds(const std::vector<float>& mono, std::size_t from, float threshold);

}  // namespace vorlune::test
