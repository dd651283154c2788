#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "audio/SampleRing.h"

struct sf_private_tag;
struct SRC_STATE_tag;

namespace vorlune {

// The sample format of an output device: float samples, interleaved.
struct OutputFormat {
    int rate = 0;
    int channels = 0;
};

// Reads an audio file block by block and turns it into the output's rate and channel layout.
// Nothing is read ahead beyond one block, so a long file costs no more memory than a short one.
// Not thread-safe: one thread at a time works on a decoder.
class StreamDecoder {
  public:
    // Input frames decoded per block.
    static constexpr std::size_t kBlockFrames = 1024;

    // Opens a regular file that the decoding library can read; nullptr otherwise.
    static std::unique_ptr<StreamDecoder> Open(const std::string& path, OutputFormat output);
    ~StreamDecoder();
    StreamDecoder(const StreamDecoder&) = delete;
    StreamDecoder& operator=(const StreamDecoder&) = delete;

    // Moves decoded samples into ring, decoding one more block when nothing is left over.
    // Returns the number of samples written.
    std::size_t Pump(SampleRing& ring);
    // All of the file has been decoded and handed over. A read or decode error ends the data.
    [[nodiscard]] bool Drained() const { return inputEnded_ && pending_.empty(); }
    // The data ended with a read or decode error rather than at the end of the file.
    [[nodiscard]] bool Damaged() const { return damaged_; }
    // Goes back to the first frame; false when the file cannot seek.
    bool Rewind();

    [[nodiscard]] int FileRate() const { return fileRate_; }
    [[nodiscard]] int FileChannels() const { return fileChannels_; }

  private:
    StreamDecoder(sf_private_tag* file, int fileRate, int fileChannels, OutputFormat output);
    void DecodeBlock();
    void Resample(std::size_t frames);

    sf_private_tag* file_;
    SRC_STATE_tag* resampler_ = nullptr;
    int fileRate_;
    int fileChannels_;
    OutputFormat output_;
    double ratio_;
    bool inputEnded_ = false;
    bool damaged_ = false;
    std::vector<float> input_;
    std::vector<float> mapped_;
    std::vector<float> resampled_;
    std::vector<float> pending_;
    std::size_t pendingOffset_ = 0;
};

// Interleaved frames of one channel layout turned into another: mono is spread to every output
// channel, everything else keeps its first channels (a mono output gets the average).
void MapChannels(const float* in, std::size_t frames, int inChannels, float* out, int outChannels);

}  // namespace vorlune
