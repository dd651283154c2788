#include "audio/loudness/LoudnessLevels.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

namespace vorlune {
namespace {

// Written after this many new measurements even while more are queued, so a long first scan
// that is cut short keeps most of its work.
constexpr int kSaveEvery = 32;

// The measuring yields to everything else: SCHED_IDLE where the system allows it, otherwise the
// highest nice value (for this thread alone, as Linux keeps nice values per thread). Named, so
// that top and the benchmarks tell it from the interface thread.
void SetUpMeasuringThread() {
    pthread_setname_np(pthread_self(), "loudness");
    sched_param param{};
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) != 0) {
        setpriority(PRIO_PROCESS, 0, 19);
    }
}

}  // namespace

LoudnessLevels::LoudnessLevels(std::string cacheFile, Meter meter)
    : cacheFile_(std::move(cacheFile)),
      meter_(std::move(meter)),
      thread_([this](const std::stop_token& stop) { Run(stop); }) {}

LoudnessLevels::~LoudnessLevels() {
    thread_.request_stop();
    thread_.join();
}

void LoudnessLevels::Measure(const std::vector<std::string>& paths) {
    {
        const std::scoped_lock lock(mutex_);
        for (const std::string& path : paths) {
            if (!path.empty() && queued_.insert(path).second) {
                queue_.push_back(path);
            }
        }
    }
    wake_.notify_one();
}

std::optional<float> LoudnessLevels::LevelOf(const std::string& path) {
    const std::optional<FileStamp> stamp = StampOf(path);
    if (!stamp) {
        return std::nullopt;
    }
    std::optional<Loudness> loudness;
    bool known = false;
    {
        const std::scoped_lock lock(mutex_);
        if (auto it = table_.find(path); it != table_.end() && it->second.stamp == *stamp) {
            known = true;
            loudness = it->second.loudness;
        }
    }
    if (!known) {
        Measure({path});
    }
    if (!loudness) {
        return std::nullopt;
    }
    return LevelOfDb(LevellingGainDb(*loudness));
}

bool LoudnessLevels::WaitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return !busy_ && queue_.empty(); });
}

void LoudnessLevels::Run(const std::stop_token& stop) {
    SetUpMeasuringThread();
    LoudnessTable read = ReadLoudnessCache(cacheFile_);
    {
        const std::scoped_lock lock(mutex_);
        table_ = std::move(read);
    }
    int unsaved = 0;
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        if (queue_.empty()) {
            if (unsaved > 0) {
                lock.unlock();
                Save();
                unsaved = 0;
                lock.lock();
                continue;  // more may have come meanwhile
            }
            busy_ = false;
            idle_.notify_all();
            wake_.wait(lock, stop, [this] { return !queue_.empty(); });
            continue;
        }
        busy_ = true;
        const std::string path = queue_.front();
        queue_.pop_front();
        lock.unlock();
        if (MeasureOne(path, stop) && ++unsaved >= kSaveEvery) {
            Save();
            unsaved = 0;
        }
        lock.lock();
        queued_.erase(path);
    }
}

bool LoudnessLevels::MeasureOne(const std::string& path, const std::stop_token& stop) {
    const std::optional<FileStamp> stamp = StampOf(path);
    if (!stamp) {
        return false;  // gone: nothing to keep, and it is tried again if it comes back
    }
    {
        const std::scoped_lock lock(mutex_);
        if (auto it = table_.find(path); it != table_.end() && it->second.stamp == *stamp) {
            return false;
        }
    }
    const Measurement found = meter_(path, stop);
    if (found.kind == Measurement::Kind::Stopped) {
        return false;
    }
    LoudnessEntry entry{.stamp = *stamp, .loudness = std::nullopt};
    if (found.kind == Measurement::Kind::Measured) {
        entry.loudness = found.loudness;
    }
    const std::scoped_lock lock(mutex_);
    table_.insert_or_assign(path, entry);
    return true;
}

void LoudnessLevels::Save() {
    LoudnessTable copy;
    {
        const std::scoped_lock lock(mutex_);
        copy = table_;
    }
    WriteLoudnessCache(cacheFile_, copy);
}

}  // namespace vorlune
