#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "base/ProfileDocument.h"

namespace vorlune {

// Reads and writes keys of INI files on disk with the Windows profile-string semantics
// (see ProfileDocument). Every read looks at the file: a parsed copy is kept only for as long
// as the file's identity (device, inode, size, modification time) is unchanged, so a hand edit
// shows at the next read. Every write replaces the file atomically (temporary file in the same
// folder, flushed, renamed; through a symbolic link to its target, keeping owner and mode),
// keeps the bytes of every line it does not change and leaves the file untouched when nothing
// changes. A write does not create missing folders.
//
// A file that exists but cannot be read (an I/O error, no permission) reads as all keys
// missing, and every write to it is refused until it reads again: a write there would replace
// all the file holds by the one key written. The unreadable handler hears of such a file once,
// until it has been read again.
//
// Reads and writes may come from several threads: writes are made one at a time, and a read
// never waits for a write's flush to disk.
class ProfileFiles {
  public:
    // What tells one version of a file from the next.
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modifiedNs = 0;
        bool operator==(const Identity&) const = default;
    };
    using UnreadableHandler = std::function<void(const std::string& path)>;

    // GBK files are read and written with codec. Without the C library's GBK converter every
    // write is refused: each Chinese character written would become "?".
    explicit ProfileFiles(const GbkCodec& codec = GbkCodec::System());

    // Called on the thread that found the file unreadable; nullptr for none. A handler set later
    // is told at once of the files found unreadable before it.
    void OnUnreadable(UnreadableHandler handler);

    // The value, or def when the file, the section or the key is missing, or the file cannot be
    // read.
    std::string Read(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view def = {});

    // Writes key=value; no value deletes the key (the section header stays). false when the
    // file could not be written (missing folder, read-only file or folder, a file that exists
    // and cannot be read, no space, no GBK converter).
    bool Write(const std::string& path, std::string_view section, std::string_view key,
               std::optional<std::string_view> value);

  private:
    struct Entry {
        Identity identity;
        std::shared_ptr<const ProfileDocument> document;
    };
    // The parsed file; an empty document when the file is missing, nullptr when it exists and
    // cannot be read.
    std::shared_ptr<const ProfileDocument> Load(const std::string& path);
    std::shared_ptr<const ProfileDocument> Unreadable(const std::string& path);
    void Remember(const std::string& path, const Identity& identity,
                  const std::shared_ptr<const ProfileDocument>& document);

    const GbkCodec* codec_;
    std::shared_ptr<const ProfileDocument> empty_;
    std::mutex cacheLock_;  // over cache_ and unreadable_, for a hand-off only
    std::unordered_map<std::string, Entry> cache_;
    std::unordered_set<std::string> unreadable_;  // told to the handler already
    std::mutex writeLock_;                        // one write at a time, flush included
    std::mutex handlerLock_;                      // the handler is not replaced while it runs
    UnreadableHandler unreadableHandler_;
};

}  // namespace vorlune
