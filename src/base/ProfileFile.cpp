#include "base/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "base/AtomicFile.h"

namespace vorlune {
namespace {

constexpr std::size_t kMaxCachedFiles = 16;

using Identity = ProfileFiles::Identity;

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

// Whether a failed stat or open means the file is not there (and a write may create it) rather
// than there and unreadable.
bool IsMissing(int error) {
    return error == ENOENT || error == ENOTDIR;
}

Identity IdentityOf(const struct stat& st) {
    return Identity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                    st.st_size, ModifiedNs(st)};
}

// Puts bytes in place of the file at path (or at the end of the links it starts), in a folder
// that exists and is not write-protected.
bool ReplaceFile(const std::string& path, std::string_view bytes) {
    const std::optional<std::string> file = FileBehindLinks(path);
    if (!file) {
        return false;
    }
    const std::string folder = FolderOf(*file);
    struct stat folderStat {};
    if (::stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode) ||
        IsReadOnly(folderStat)) {
        return false;
    }
    AtomicFile atomic(*file);
    return atomic.Write(bytes) && atomic.Commit();
}

}  // namespace

ProfileFiles::ProfileFiles(const GbkCodec& codec)
    : codec_(&codec),
      empty_(std::make_shared<const ProfileDocument>(
          ProfileDocument::FromText({}, TextEncoding::Gbk, codec))) {}

void ProfileFiles::OnUnreadable(UnreadableHandler handler) {
    const std::lock_guard lock(handlerLock_);
    unreadableHandler_ = std::move(handler);
    if (!unreadableHandler_) {
        return;
    }
    // Files found unreadable before there was anyone to tell (while the program is put
    // together) are told now.
    std::vector<std::string> found;
    {
        const std::lock_guard cacheLock(cacheLock_);
        found.assign(unreadable_.begin(), unreadable_.end());
    }
    for (const std::string& path : found) {
        unreadableHandler_(path);
    }
}

std::shared_ptr<const ProfileDocument> ProfileFiles::Unreadable(const std::string& path) {
    bool tell = false;
    {
        const std::lock_guard lock(cacheLock_);
        cache_.erase(path);
        tell = unreadable_.insert(path).second;
    }
    if (tell) {
        const std::lock_guard lock(handlerLock_);
        if (unreadableHandler_) {
            unreadableHandler_(path);
        }
    }
    return nullptr;
}

void ProfileFiles::Remember(const std::string& path, const Identity& identity,
                            const std::shared_ptr<const ProfileDocument>& document) {
    const std::lock_guard lock(cacheLock_);
    unreadable_.erase(path);
    if (!document) {
        cache_.erase(path);
        return;
    }
    if (cache_.size() >= kMaxCachedFiles) {
        cache_.clear();
    }
    cache_[path] = Entry{identity, document};
}

std::shared_ptr<const ProfileDocument> ProfileFiles::Load(const std::string& path) {
    // One stat call decides whether the parsed copy is still the file.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (IsMissing(errno)) {
            Remember(path, {}, nullptr);
            return empty_;
        }
        return Unreadable(path);
    }
    if (!S_ISREG(st.st_mode)) {
        Remember(path, {}, nullptr);
        return empty_;
    }
    {
        const std::lock_guard lock(cacheLock_);
        if (const auto it = cache_.find(path);
            it != cache_.end() && it->second.identity == IdentityOf(st)) {
            return it->second.document;
        }
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (IsMissing(errno)) {
            Remember(path, {}, nullptr);
            return empty_;
        }
        return Unreadable(path);
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Remember(path, {}, nullptr);
        return empty_;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    const bool read = ReadAll(fd, bytes);
    ::close(fd);
    if (!read) {
        return Unreadable(path);
    }
    auto document = std::make_shared<const ProfileDocument>(ProfileDocument::Parse(bytes, *codec_));
    Remember(path, IdentityOf(st), document);
    return document;
}

std::string ProfileFiles::Read(const std::string& path, std::string_view section,
                               std::string_view key, std::string_view def) {
    const auto document = Load(path);
    const auto value = document ? document->Value(section, key) : std::nullopt;
    return value ? *value : std::string(def);
}

bool ProfileFiles::Write(const std::string& path, std::string_view section, std::string_view key,
                         std::optional<std::string_view> value) {
    if (!codec_->Available()) {
        return false;
    }
    const std::lock_guard lock(writeLock_);
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        return false;
    }
    const auto document = Load(path);
    if (!document) {
        return false;
    }
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
    {
        const std::lock_guard cacheLock(cacheLock_);
        cache_.erase(path);  // the next read parses the new file once
    }
    return true;
}

}  // namespace vorlune
