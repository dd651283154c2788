#include "base/FileMatch.h"

#include <dirent.h>
#include <sys/stat.h>

namespace vorlune {

namespace {

// Bytes of the UTF-8 character that starts at name[n], so that '?' stands for one character.
std::size_t CharLength(std::string_view name, std::size_t n) {
    std::size_t length = 1;
    while (n + length < name.size() &&
           (static_cast<unsigned char>(name[n + length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    // Greedy matching with one backtrack point: the last '*' seen.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += CharLength(name, n);
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            starN += CharLength(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool AnyFileMatches(const std::string& path) {
    struct stat st {};
    if (path.empty()) {
        return false;
    }
    if (::stat(path.c_str(), &st) == 0) {
        return true;
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
    if (pattern.find_first_of("*?") == std::string::npos) {
        return false;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (WildcardMatch(pattern, entry->d_name)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace vorlune
