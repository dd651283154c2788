#include "base/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/AtomicFile.h"

namespace vorlune {
namespace {

constexpr std::size_t kMaxCachedFiles = 16;

template <typename Stat>
std::int64_t ModifiedNs(const Stat& st) {
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool ReadAll(int fd, std::string& out) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) {
            return true;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsReadOnly(const struct stat& st) {
    return (st.st_mode & 0222) == 0;
}

// Puts bytes in place of the file at path, in a folder that exists and is not write-protected.
bool ReplaceFile(const std::string& path, std::string_view bytes) {
    const std::string folder = FolderOf(path);
    struct stat folderStat {};
    if (::stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode) ||
        IsReadOnly(folderStat)) {
        return false;
    }
    AtomicFile file(path);
    return file.Write(bytes) && file.Commit();
}

}  // namespace

ProfileFiles::ProfileFiles(const GbkCodec& codec)
    : codec_(&codec),
      empty_(std::make_shared<const ProfileDocument>(
          ProfileDocument::FromText({}, TextEncoding::Gbk, codec))) {}

std::shared_ptr<const ProfileDocument> ProfileFiles::Load(const std::string& path) {
    const auto identityOf = [](const struct stat& st) {
        return Identity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino), st.st_size, ModifiedNs(st)};
    };
    // One stat call decides whether the parsed copy is still the file.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        cache_.erase(path);
        return empty_;
    }
    if (const auto it = cache_.find(path);
        it != cache_.end() && it->second.identity == identityOf(st)) {
        return it->second.document;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) {
            ::close(fd);
        }
        cache_.erase(path);
        return empty_;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    const bool read = ReadAll(fd, bytes);
    ::close(fd);
    if (!read) {
        cache_.erase(path);
        return empty_;
    }
    auto document = std::make_shared<const ProfileDocument>(ProfileDocument::Parse(bytes, *codec_));
    if (cache_.size() >= kMaxCachedFiles) {
        cache_.clear();
    }
    cache_[path] = Entry{identityOf(st), document};
    return document;
}

std::string ProfileFiles::Read(const std::string& path, std::string_view section,
                               std::string_view key, std::string_view def) {
    const auto value = Load(path)->Value(section, key);
    return value ? *value : std::string(def);
}

bool ProfileFiles::Write(const std::string& path, std::string_view section, std::string_view key,
                         std::optional<std::string_view> value) {
    if (!codec_->Available()) {
        return false;
    }
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        return false;
    }
    const auto document = Load(path);
    const auto text = document->TextAfterWrite(section, key, value);
    if (!text) {
        return true;
    }
    if (exists && IsReadOnly(st)) {
        return false;
    }
    if (!ReplaceFile(path, document->Encode(*text))) {
        return false;
    }
    cache_.erase(path);  // the next read parses the new file once
    return true;
}

}  // namespace vorlune
