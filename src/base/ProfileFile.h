#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/ProfileDocument.h"

namespace vorlune {

// Reads and writes keys of INI files on disk with the Windows profile-string semantics
// (see ProfileDocument). Every read looks at the file: a parsed copy is kept only for as long
// as the file's identity (device, inode, size, modification time) is unchanged, so a hand edit
// shows at the next read. Every write replaces the file atomically (temporary file in the same
// folder, flushed, renamed), keeps the bytes of every line it does not change and leaves the
// file untouched when nothing changes. A write does not create missing folders.
class ProfileFiles {
  public:
    // GBK files are read and written with codec. Without the C library's GBK converter every
    // write is refused: each Chinese character written would become "?".
    explicit ProfileFiles(const GbkCodec& codec = GbkCodec::System());

    // The value, or def when the file, the section or the key is missing.
    std::string Read(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view def = {});

    // Writes key=value; no value deletes the key (the section header stays). false when the
    // file could not be written (missing folder, read-only file or folder, no space, no GBK
    // converter).
    bool Write(const std::string& path, std::string_view section, std::string_view key,
               std::optional<std::string_view> value);

  private:
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modifiedNs = 0;
        bool operator==(const Identity&) const = default;
    };
    struct Entry {
        Identity identity;
        std::shared_ptr<const ProfileDocument> document;
    };
    // The parsed file; an empty document when the file is missing or unreadable.
    std::shared_ptr<const ProfileDocument> Load(const std::string& path);

    const GbkCodec* codec_;
    std::shared_ptr<const ProfileDocument> empty_;
    std::unordered_map<std::string, Entry> cache_;
};

}  // namespace vorlune
