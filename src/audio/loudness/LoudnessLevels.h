#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "audio/loudness/Loudness.h"
#include "audio/loudness/LoudnessCache.h"

namespace vorlune {

// The levels of the sounds, measured on a thread of its own and kept in a cache file. Asking
// never waits for a measurement: a file not measured yet has no level and plays as it is, and
// is measured in the background, once per version of the file. The thread runs at the lowest
// priority and measures one file at a time, so it takes no more than one core's idle time.
class LoudnessLevels {
  public:
    using Meter = std::function<Measurement(const std::string& path, const std::stop_token&)>;

    // The cache is read on the measuring thread, never by the caller.
    LoudnessLevels(std::string cacheFile, Meter meter);
    // Stops the measuring and waits for the thread. A file half measured, and what was measured
    // since the cache was last written, is measured again next time: the exit never waits on
    // the disk for it.
    ~LoudnessLevels();
    LoudnessLevels(const LoudnessLevels&) = delete;
    LoudnessLevels& operator=(const LoudnessLevels&) = delete;

    // Queues files to be measured where the cache has no measurement of their present version.
    // Returns at once; the measuring thread looks at the files.
    void Measure(const std::vector<std::string>& paths);
    // The volume factor that levels the file as it is now; nothing when it is not measured
    // yet (then it is queued), or damaged.
    std::optional<float> LevelOf(const std::string& path);
    // Waits until everything queued is measured and the cache is written; false on timeout.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);

  private:
    void Run(const std::stop_token& stop);
    // Measures one queued file unless its present version is in the cache; true when the
    // cache gained an entry.
    bool MeasureOne(const std::string& path, const std::stop_token& stop);
    void Save();

    const std::string cacheFile_;
    const Meter meter_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::condition_variable idle_;
    LoudnessTable table_;
    std::deque<std::string> queue_;
    std::set<std::string> queued_;
    bool busy_ = true;  // until the cache is read
    std::jthread thread_;
};

}  // namespace vorlune
