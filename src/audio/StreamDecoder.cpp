#include "audio/StreamDecoder.h"

#include <samplerate.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>

namespace vorlune {

namespace {

// Frames the resampler may hold back; its output is flushed in steps of this size at the end.
constexpr std::size_t kFlushFrames = 512;

}  // namespace

void MapChannels(const float* in, std::size_t frames, int inChannels, float* out, int outChannels) {
    const auto inCh = static_cast<std::size_t>(inChannels);
    const auto outCh = static_cast<std::size_t>(outChannels);
    for (std::size_t f = 0; f < frames; ++f) {
        const float* src = in + f * inCh;
        float* dst = out + f * outCh;
        if (inCh == 1) {
            std::fill_n(dst, outCh, src[0]);
        } else if (outCh == 1) {
            float sum = 0.0F;
            for (std::size_t c = 0; c < inCh; ++c) {
                sum += src[c];
            }
            dst[0] = sum / static_cast<float>(inCh);
        } else {
            for (std::size_t c = 0; c < outCh; ++c) {
                dst[c] = c < inCh ? src[c] : 0.0F;
            }
        }
    }
}

std::unique_ptr<StreamDecoder> StreamDecoder::Open(const std::string& path, OutputFormat output) {
    // Only regular files: a directory fails late and a FIFO would block the caller forever.
    struct stat st {};
    if (output.rate <= 0 || output.channels <= 0 || ::stat(path.c_str(), &st) != 0 ||
        !S_ISREG(st.st_mode)) {
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return nullptr;
    }
    if (info.channels <= 0 || info.samplerate <= 0) {
        sf_close(file);
        return nullptr;
    }
    std::unique_ptr<StreamDecoder> decoder(
        new StreamDecoder(file, info.samplerate, info.channels, output));
    if (decoder->ratio_ != 1.0 && decoder->resampler_ == nullptr) {
        return nullptr;
    }
    return decoder;
}

StreamDecoder::StreamDecoder(sf_private_tag* file, int fileRate, int fileChannels,
                             OutputFormat output)
    : file_(file),
      fileRate_(fileRate),
      fileChannels_(fileChannels),
      output_(output),
      ratio_(static_cast<double>(output.rate) / static_cast<double>(fileRate)) {
    const auto outCh = static_cast<std::size_t>(output.channels);
    input_.resize(kBlockFrames * static_cast<std::size_t>(fileChannels));
    mapped_.resize(kBlockFrames * outCh);
    if (ratio_ != 1.0) {
        int error = 0;
        resampler_ = src_new(SRC_SINC_MEDIUM_QUALITY, output.channels, &error);
        const auto maxOut =
            static_cast<std::size_t>(std::ceil(static_cast<double>(kBlockFrames) * ratio_)) +
            kFlushFrames;
        resampled_.resize(maxOut * outCh);
    }
    pending_.reserve(resampled_.size() + mapped_.size());
}

StreamDecoder::~StreamDecoder() {
    if (resampler_ != nullptr) {
        src_delete(resampler_);
    }
    sf_close(file_);
}

std::size_t StreamDecoder::Pump(SampleRing& ring) {
    if (pendingOffset_ == pending_.size() && !inputEnded_) {
        pending_.clear();
        pendingOffset_ = 0;
        DecodeBlock();
    }
    const std::size_t written =
        ring.Write(std::span<const float>(pending_).subspan(pendingOffset_));
    pendingOffset_ += written;
    if (pendingOffset_ == pending_.size()) {
        pending_.clear();
        pendingOffset_ = 0;
    }
    return written;
}

void StreamDecoder::DecodeBlock() {
    const sf_count_t got =
        sf_readf_float(file_, input_.data(), static_cast<sf_count_t>(kBlockFrames));
    const std::size_t frames = got > 0 ? static_cast<std::size_t>(got) : 0;
    // End of data, or a read or decode error: either way the stream ends here.
    if (sf_error(file_) != SF_ERR_NO_ERROR) {
        damaged_ = true;
        inputEnded_ = true;
    }
    if (frames == 0) {
        inputEnded_ = true;
    }
    MapChannels(input_.data(), frames, fileChannels_, mapped_.data(), output_.channels);
    if (resampler_ == nullptr) {
        pending_.insert(pending_.end(), mapped_.begin(),
                        mapped_.begin() + static_cast<std::ptrdiff_t>(
                                              frames * static_cast<std::size_t>(output_.channels)));
        return;
    }
    Resample(frames);
}

void StreamDecoder::Resample(std::size_t frames) {
    const auto outCh = static_cast<std::size_t>(output_.channels);
    SRC_DATA data{};
    data.data_in = mapped_.data();
    data.input_frames = static_cast<long>(frames);
    data.src_ratio = ratio_;
    data.end_of_input = inputEnded_ ? 1 : 0;
    // The output buffer holds a whole block, so one pass consumes all input; at the end of the
    // input further passes flush what the filter still holds.
    for (int pass = 0; pass < 64; ++pass) {
        data.data_out = resampled_.data();
        data.output_frames = static_cast<long>(resampled_.size() / outCh);
        if (src_process(resampler_, &data) != 0) {
            inputEnded_ = true;
            return;
        }
        pending_.insert(
            pending_.end(), resampled_.begin(),
            resampled_.begin() + static_cast<std::ptrdiff_t>(
                                     static_cast<std::size_t>(data.output_frames_gen) * outCh));
        data.data_in += data.input_frames_used * static_cast<long>(outCh);
        data.input_frames -= data.input_frames_used;
        if (data.input_frames == 0 && (!inputEnded_ || data.output_frames_gen == 0)) {
            return;
        }
    }
}

bool StreamDecoder::Rewind() {
    if (sf_seek(file_, 0, SEEK_SET) < 0) {
        return false;
    }
    if (resampler_ != nullptr) {
        src_reset(resampler_);
    }
    inputEnded_ = false;
    damaged_ = false;
    pending_.clear();
    pendingOffset_ = 0;
    return true;
}

}  // namespace vorlune
