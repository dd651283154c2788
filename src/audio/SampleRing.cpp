#include "audio/SampleRing.h"

#include <algorithm>

namespace vorlune {

SampleRing::SampleRing(std::size_t capacity) : buffer_(std::max<std::size_t>(capacity, 1)) {}

std::size_t SampleRing::Readable() const {
    return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire);
}

std::size_t SampleRing::Writable() const {
    return buffer_.size() - Readable();
}

std::size_t SampleRing::Write(std::span<const float> samples) {
    const std::size_t w = written_.load(std::memory_order_relaxed);
    const std::size_t r = read_.load(std::memory_order_acquire);
    const std::size_t count = std::min(samples.size(), buffer_.size() - (w - r));
    const std::size_t start = w % buffer_.size();
    const std::size_t first = std::min(count, buffer_.size() - start);
    std::copy_n(samples.begin(), first, buffer_.begin() + static_cast<std::ptrdiff_t>(start));
    std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(first), count - first,
                buffer_.begin());
    written_.store(w + count, std::memory_order_release);
    return count;
}

std::size_t SampleRing::Read(std::span<float> out) {
    const std::size_t r = read_.load(std::memory_order_relaxed);
    const std::size_t w = written_.load(std::memory_order_acquire);
    const std::size_t count = std::min(out.size(), w - r);
    const std::size_t start = r % buffer_.size();
    const std::size_t first = std::min(count, buffer_.size() - start);
    std::copy_n(buffer_.begin() + static_cast<std::ptrdiff_t>(start), first, out.begin());
    std::copy_n(buffer_.begin(), count - first, out.begin() + static_cast<std::ptrdiff_t>(first));
    read_.store(r + count, std::memory_order_release);
    return count;
}

void SampleRing::Clear() {
    read_.store(written_.load(std::memory_order_acquire), std::memory_order_release);
}

}  // namespace vorlune
