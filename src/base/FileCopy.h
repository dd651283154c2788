#pragma once

#include <string>

namespace vorlune {

// Copies a regular file over target so that target is either untouched or the whole copy: the
// bytes go to a hidden temporary file beside target, which is flushed and then renamed (a
// target that is a symbolic link gets the copy at the link's target). false, with nothing left
// behind, when the source is missing or no regular file (a FIFO or a device is refused at once,
// never waited for), or target cannot be written (missing folder, write-protected file or
// folder, no space). A target that exists keeps its owner and permissions.
bool CopyFileReplacing(const std::string& source, const std::string& target);

}  // namespace vorlune
