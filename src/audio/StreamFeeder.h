#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/PlaybackStream.h"

namespace vorlune {

// The decoder thread: keeps the ring of every stream filled, reading and decoding files away
// from both the interface thread and the audio callback. It checks the streams every interval
// while one of them is being played through, and sleeps until woken when none is.
class StreamFeeder {
  public:
    explicit StreamFeeder(std::chrono::milliseconds interval);
    ~StreamFeeder();
    StreamFeeder(const StreamFeeder&) = delete;
    StreamFeeder& operator=(const StreamFeeder&) = delete;

    void Add(std::shared_ptr<PlaybackStream> stream);
    // The feeder lets go of the stream; if it is filling it right now it finishes that block.
    void Remove(const PlaybackStream* stream);
    // Something changed (a stream started): look at the streams now.
    void Wake();

  private:
    void Run();

    std::chrono::milliseconds interval_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
    bool stopping_ = false;
    std::vector<std::shared_ptr<PlaybackStream>> streams_;
    std::thread thread_;
};

}  // namespace vorlune
