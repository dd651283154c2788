#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "audio/loudness/Loudness.h"

namespace vorlune {

// The cache file, below the data folder.
inline constexpr std::string_view kLoudnessCacheFile = R"(\loudness.cache)";

// What tells one version of a file from another without reading it.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;

    bool operator==(const FileStamp&) const = default;
};
// The stamp of the file at path now; nothing when it cannot be looked at.
std::optional<FileStamp> StampOf(const std::string& path);

// One file's measurement: its loudness, or nothing when it is damaged or unreadable (so it is
// not tried again until it changes).
struct LoudnessEntry {
    FileStamp stamp;
    std::optional<Loudness> loudness;

    bool operator==(const LoudnessEntry&) const = default;
};

// Measurements by path. A path names a file, and the stamp says which version was measured.
using LoudnessTable = std::map<std::string, LoudnessEntry>;

// The cache file's text: a first line naming the format, then one line per file: size, mtime
// in nanoseconds, LUFS and dBTP (or "damaged"), and the path last, its backslashes and line
// breaks escaped. Lines that do not read are skipped: a damaged cache costs measuring again.
std::string FormatLoudnessCache(const LoudnessTable& table);
LoudnessTable ParseLoudnessCache(std::string_view text);

// The cache file in the data folder, read and written whole; written atomically, so a crash
// leaves the old one or the new one.
LoudnessTable ReadLoudnessCache(const std::string& file);
bool WriteLoudnessCache(const std::string& file, const LoudnessTable& table);

}  // namespace vorlune
