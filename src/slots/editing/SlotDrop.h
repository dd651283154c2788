#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlune {

// Why a file dropped onto a slot is refused.
enum class DroppedFileFault {
    None,
    BarInPath,   // the slot list cannot hold its path
    Unreadable,  // missing, not a regular file, or not readable
    NotAudio,    // its first bytes are no WAV, AIFF, MP3, Ogg or FLAC
};

// Looks at the file (its path, then its first bytes) as a slot would take it.
DroppedFileFault CheckDroppedFile(const std::string& path);
// Whether a file's first bytes start an audio file the player reads.
bool LooksLikeAudio(std::string_view head);
// The reason as the user is told it.
std::string_view FaultText(DroppedFileFault fault);

struct DropPlacement {
    int slot = 0;
    std::string path;
};
// Where dropped files go: the first onto the slot dropped on, each next one onto the next empty
// slot after it on the same page, in the page's reading order; files beyond the page's empty
// slots get none.
std::vector<DropPlacement> PlaceDroppedFiles(int target, const std::vector<std::string>& files,
                                             const std::function<bool(int)>& isEmpty);

}  // namespace vorlune
