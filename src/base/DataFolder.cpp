#include "base/DataFolder.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>

#include "base/FileCopy.h"

namespace vorlune {
namespace {

// Every missing folder of the path made with rwx------ (the data folders are the user's own).
bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        struct stat info {};
        if (::mkdir(part.c_str(), 0700) != 0 &&
            (errno != EEXIST || ::stat(part.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

bool PrepareDataFolder(const ProgramFolder& program, const DataFolder& data) {
    if (!MakeFolders(data.Join(R"(\Sounds\Common)"))) {
        return false;
    }
    return std::ranges::all_of(std::array{kConfigFile, kLiveSlotList}, [&](std::string_view file) {
        const std::string target = data.Join(file);
        const std::string shipped = program.Join(file);
        return Exists(target) || !Exists(shipped) || CopyFileReplacing(shipped, target);
    });
}

}  // namespace vorlune
