#include "base/BackgroundWrites.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>

namespace vorlune {

BackgroundWrites::BackgroundWrites(ProfileFiles& files) : files_(files) {}

BackgroundWrites::~BackgroundWrites() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void BackgroundWrites::Queue(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view value) {
    Write write{path, std::string(section), std::string(key), std::string(value)};
    {
        const std::lock_guard lock(mutex_);
        const auto same = std::find_if(queue_.begin(), queue_.end(),
                                       [&](const Write& w) { return w.SameKey(write); });
        if (same != queue_.end()) {
            same->value = std::move(write.value);
        } else {
            queue_.push_back(std::move(write));
        }
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { Run(); });
        }
    }
    changed_.notify_all();
}

std::optional<std::string> BackgroundWrites::Pending(const std::string& path,
                                                     std::string_view section,
                                                     std::string_view key) const {
    const std::lock_guard lock(mutex_);
    for (const Write& w : queue_) {
        if (w.path == path && w.section == section && w.key == key) {
            return w.value;
        }
    }
    return std::nullopt;
}

void BackgroundWrites::Flush() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && !writing_; });
}

void BackgroundWrites::Run() {
    // Woken by a write, the thread waits for its turn instead of taking the processor from the
    // thread that queued it, which is the interface thread in the middle of a drag.
    const sched_param batch{};
    ::pthread_setschedparam(::pthread_self(), SCHED_BATCH, &batch);
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;
        }
        // The values stay queued while they are written, so that a read meanwhile sees them
        // rather than the file's old value.
        const std::vector<Write> batch = queue_;
        writing_ = true;
        lock.unlock();
        for (const Write& w : batch) {
            files_.Write(w.path, w.section, w.key, w.value);
        }
        lock.lock();
        // A value changed meanwhile stays queued for the next round.
        for (const Write& written : batch) {
            std::erase_if(queue_, [&](const Write& w) {
                return w.SameKey(written) && w.value == written.value;
            });
        }
        writing_ = false;
        changed_.notify_all();
    }
}

}  // namespace vorlune
