#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/ProfileFile.h"

namespace vorlune {

// Writes keys of INI files on a thread of its own, so that a caller that changes a value many
// times a second (a slider being dragged) never waits for the disk. Writing starts at once, so
// a value is on disk one flush after the last change; values queued meanwhile for the same key
// are merged into the newest. Until a value is on disk, Pending reports it, so reads see it.
// The destructor writes what is still queued before it returns.
class BackgroundWrites {
  public:
    explicit BackgroundWrites(ProfileFiles& files);
    ~BackgroundWrites();
    BackgroundWrites(const BackgroundWrites&) = delete;
    BackgroundWrites& operator=(const BackgroundWrites&) = delete;

    void Queue(const std::string& path, std::string_view section, std::string_view key,
               std::string_view value);
    // The value queued for the key and not yet written.
    [[nodiscard]] std::optional<std::string> Pending(const std::string& path,
                                                     std::string_view section,
                                                     std::string_view key) const;
    // Waits until everything queued so far has been written (or has failed to be).
    void Flush();

  private:
    struct Write {
        std::string path;
        std::string section;
        std::string key;
        std::string value;
        [[nodiscard]] bool SameKey(const Write& other) const {
            return path == other.path && section == other.section && key == other.key;
        }
    };
    void Run();

    ProfileFiles& files_;
    mutable std::mutex mutex_;  // over the members below, for a hand-off only
    std::condition_variable changed_;
    std::vector<Write> queue_;  // one per key, the newest value, in the order first queued
    bool writing_ = false;
    bool stopping_ = false;
    std::thread thread_;  // started at the first write
};

}  // namespace vorlune
