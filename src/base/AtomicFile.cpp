#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vorlune {
namespace {

constexpr mode_t kNewFileMode = 0644;

std::string TempPatternBeside(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return "./." + path + ".XXXXXX";
    }
    return path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".XXXXXX";
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path) : path_(path), temp_(TempPatternBeside(path)) {
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
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
    struct stat st {};
    const mode_t mode = ::stat(path_.c_str(), &st) == 0 ? (st.st_mode & 07777) : kNewFileMode;
    bool ok = ::fchmod(fd_, mode) == 0 && ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    ok = ok && ::rename(temp_.c_str(), path_.c_str()) == 0;
    if (!ok) {
        ::unlink(temp_.c_str());
    }
    return ok;
}

}  // namespace vorlune
