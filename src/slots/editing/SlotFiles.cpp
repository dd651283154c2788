#include "slots/editing/SlotFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <vector>

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
    int Get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool CopyContents(int from, int to) {
    std::array<char, 64 * 1024> buffer{};
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
        if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(n))) {
            return false;
        }
    }
}

}  // namespace

std::string FileNameOfPath(std::string_view path, bool keepExtension) {
    const std::size_t separator = path.find_last_of("/\\");
    std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
    if (!keepExtension) {
        const std::size_t dot = name.rfind('.');
        if (dot != std::string_view::npos) {
            name = name.substr(0, dot);
        }
    }
    return std::string(name);
}

bool CopyFileReplacing(const std::string& source, const std::string& target) {
    FileDescriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat sourceInfo {};
    if (from.Get() < 0 || ::fstat(from.Get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) {
        return false;
    }
    mode_t mode = 0644;
    struct stat targetInfo {};
    if (::stat(target.c_str(), &targetInfo) == 0) {
        if (!S_ISREG(targetInfo.st_mode) || ::access(target.c_str(), W_OK) != 0) {
            return false;
        }
        mode = targetInfo.st_mode & 07777;
    }

    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string pattern = folder + (folder.ends_with('/') ? "" : "/") + "." + name + ".XXXXXX";
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    FileDescriptor to(::mkostemp(temp.data(), O_CLOEXEC));
    if (to.Get() < 0) {
        return false;
    }
    const bool written = CopyContents(from.Get(), to.Get()) && ::fchmod(to.Get(), mode) == 0 &&
                         ::fsync(to.Get()) == 0;
    if (!to.Close() || !written || ::rename(temp.data(), target.c_str()) != 0) {
        ::unlink(temp.data());
        return false;
    }
    return true;
}

}  // namespace vorlune
