#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

namespace vorlune {
namespace {

constexpr mode_t kNewFileMode = 0644;
// As many links as the kernel follows in one path (MAXSYMLINKS).
constexpr int kMaxLinks = 40;

// The folder part of path with its last slash; empty for a name in the working folder.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string TempPatternBeside(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return "./." + path + ".XXXXXX";
    }
    return path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".XXXXXX";
}

// Gives the temporary file the owner, group and permissions of the file it replaces.
bool TakeOverOwnerAndMode(int fd, const std::string& path) {
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        return ::fchmod(fd, kNewFileMode) == 0;
    }
    struct stat temp {};
    if (::fstat(fd, &temp) != 0) {
        return false;
    }
    // Changing the owner clears the set-id bits, so the mode is set after it.
    if ((temp.st_uid != target.st_uid || temp.st_gid != target.st_gid) &&
        ::fchown(fd, target.st_uid, target.st_gid) != 0) {
        return false;
    }
    return ::fchmod(fd, target.st_mode & 07777) == 0;
}

}  // namespace

std::optional<std::string> FileBehindLinks(const std::string& path) {
    std::string file = path;
    for (int i = 0; i <= kMaxLinks; ++i) {
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return file;
        }
        std::string target(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(file.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
            return std::nullopt;
        }
        target.resize(static_cast<std::size_t>(n));
        if (target.starts_with('/')) {
            file = std::move(target);
        } else {
            file = FolderOf(file).append(target);
        }
    }
    return std::nullopt;
}

AtomicFile::AtomicFile(const std::string& path) {
    if (const std::optional<std::string> file = FileBehindLinks(path)) {
        path_ = *file;
        temp_ = TempPatternBeside(path_);
        fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    }
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temp_.c_str());
    }
}

bool AtomicFile::Write(std::string_view bytes) {
    while (fd_ >= 0 && !failed_ && !bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            failed_ = errno != EINTR;
            continue;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return fd_ >= 0 && !failed_;
}

bool AtomicFile::Commit() {
    if (fd_ < 0 || failed_) {
        return false;
    }
    bool ok = TakeOverOwnerAndMode(fd_, path_) && ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    ok = ok && ::rename(temp_.c_str(), path_.c_str()) == 0;
    if (!ok) {
        ::unlink(temp_.c_str());
    }
    return ok;
}

}  // namespace vorlune
