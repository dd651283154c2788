#include "base/FileCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "base/AtomicFile.h"

namespace vorlune {
namespace {

// Closes the descriptor when it goes out of scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    [[nodiscard]] int Get() const { return fd_; }

  private:
    int fd_;
};

bool CopyContents(int from, AtomicFile& to) {
    std::array<char, std::size_t{64} * 1024> buffer{};
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!to.Write(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
            return false;
        }
    }
}

}  // namespace

bool CopyFileReplacing(const std::string& source, const std::string& target) {
    // Opened without waiting: opening a FIFO for reading would wait until something writes to
    // it, and a device could wait for its hardware. Neither is a file to copy.
    FileDescriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat sourceInfo {};
    if (from.Get() < 0 || ::fstat(from.Get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode) ||
        ::fcntl(from.Get(), F_SETFL, O_RDONLY) != 0) {
        return false;
    }
    struct stat targetInfo {};
    if (::stat(target.c_str(), &targetInfo) == 0 &&
        (!S_ISREG(targetInfo.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
        return false;
    }
    AtomicFile to(target);
    return to.IsOpen() && CopyContents(from.Get(), to) && to.Commit();
}

}  // namespace vorlune
