#include "base/WayOfLiving.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace vorlune {
namespace {

bool IsAbsolute(std::string_view path) {
    return path.starts_with('/');
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe): read at start-up
    return value != nullptr ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (IsAbsolute(home)) {
        return home;
    }
    home.clear();
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        home = found->pw_dir;
    }
    return home;
}

// /usr holds the system's files, which only a package writes. Root can write a program folder
// there, but settings saved into it would be the files every new user starts from, and the next
// upgrade would replace them.
bool IsSystemFolder(std::string_view path) {
    return path == "/usr" || path.starts_with("/usr/");
}

bool IsWritableFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           (info.st_mode & 0222) != 0 && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

}  // namespace

Living DecideLiving(const LivingFacts& facts) {
    if (facts.portableMark ||
        (facts.programFolderWritable && !IsSystemFolder(facts.programFolder))) {
        return {WayOfLiving::Portable, facts.programFolder};
    }
    if (IsAbsolute(facts.xdgDataHome)) {
        return {WayOfLiving::Installed, Folder(facts.xdgDataHome).Join("vorlune")};
    }
    if (IsAbsolute(facts.home)) {
        return {WayOfLiving::Installed, Folder(facts.home).Join(".local/share/vorlune")};
    }
    return {WayOfLiving::Installed, {}};
}

LivingFacts ReadLivingFacts(const ProgramFolder& program) {
    struct stat mark {};
    return {
        .programFolder = program.Path(),
        .programFolderWritable = IsWritableFolder(program.Path()),
        .portableMark = ::lstat(program.Join(kPortableMark).c_str(), &mark) == 0,
        .xdgDataHome = Environment("XDG_DATA_HOME"),
        .home = HomeFolder(),
    };
}

}  // namespace vorlune
