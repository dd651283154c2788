#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <vector>

namespace vorlune {

// A single-producer single-consumer ring of float samples. The decoder side writes, the audio
// callback reads; neither ever waits for the other. One producer and one consumer at a time:
// callers serialise producers among themselves (and consumers likewise).
class SampleRing {
  public:
    explicit SampleRing(std::size_t capacity);

    [[nodiscard]] std::size_t Capacity() const { return buffer_.size(); }
    [[nodiscard]] std::size_t Readable() const;
    [[nodiscard]] std::size_t Writable() const;

    // Copies as many samples as fit; returns how many were written.
    std::size_t Write(std::span<const float> samples);
    // Copies up to out.size() samples; returns how many were read.
    std::size_t Read(std::span<float> out);
    // Empties the ring. Only while neither side is working on it.
    void Clear();

  private:
    std::vector<float> buffer_;
    // Total samples ever written and read; their difference is the fill level.
    std::atomic<std::size_t> written_{0};
    std::atomic<std::size_t> read_{0};
};

}  // namespace vorlune
