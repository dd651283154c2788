#include "audio/StreamFeeder.h"

#include "audio/SharedList.h"

namespace vorlune {

StreamFeeder::StreamFeeder(std::chrono::milliseconds interval)
    : interval_(interval), thread_([this] { Run(); }) {}

StreamFeeder::~StreamFeeder() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void StreamFeeder::Add(std::shared_ptr<PlaybackStream> stream) {
    {
        std::lock_guard lock(mutex_);
        streams_.push_back(std::move(stream));
        woken_ = true;
    }
    wake_.notify_one();
}

void StreamFeeder::Remove(const PlaybackStream* stream) {
    std::shared_ptr<PlaybackStream> removed;
    std::lock_guard lock(mutex_);
    removed = TakeOut(streams_, stream);
}

void StreamFeeder::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_one();
}

void StreamFeeder::Run() {
    std::vector<std::shared_ptr<PlaybackStream>> work;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        woken_ = false;
        work.assign(streams_.begin(), streams_.end());
        lock.unlock();

        bool busy = false;
        for (const auto& stream : work) {
            if (stream->NeedsData()) {
                stream->Feed();
            }
            busy = busy || stream->WantsAttention();
        }
        // A stream removed meanwhile may be released here, closing its file on this thread.
        work.clear();

        lock.lock();
        if (busy) {
            wake_.wait_for(lock, interval_, [this] { return stopping_ || woken_; });
        } else {
            wake_.wait(lock, [this] { return stopping_ || woken_; });
        }
    }
}

}  // namespace vorlune
