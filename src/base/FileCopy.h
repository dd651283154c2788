#pragma once

#include <string>

namespace vorlune {

// Copies a regular file over target so that target is either untouched or the whole copy: the
// bytes go to a hidden temporary file beside target, which is flushed and then renamed. false,
// with nothing left behind, when the source is missing or no regular file, or target cannot be
// written (missing folder, write-protected file or folder, no space). A target that exists
// keeps its permissions.
bool CopyFileReplacing(const std::string& source, const std::string& target);

}  // namespace vorlune
