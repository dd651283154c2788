#pragma once

#include <string>
#include <string_view>

namespace vorlune {

// Whether name matches pattern, where '*' stands for any run of characters and '?' for any one
// character; every other character (brackets too) stands for itself.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Whether a first-match directory search for path finds anything: the path names an existing
// file or folder, or its last part is a wildcard pattern matching an entry of its folder.
bool AnyFileMatches(const std::string& path);

}  // namespace vorlune
