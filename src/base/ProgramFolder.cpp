#include "base/ProgramFolder.h"

#include <unistd.h>

#include <array>

namespace vorlune {

ProgramFolder ProgramFolder::OfRunningExecutable() {
    std::array<char, 4096> buffer{};
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        return ProgramFolder(".");
    }
    const std::string exe(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos) {
        return ProgramFolder(".");
    }
    return ProgramFolder(slash == 0 ? "/" : exe.substr(0, slash));
}

}  // namespace vorlune
