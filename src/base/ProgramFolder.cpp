#include "base/ProgramFolder.h"

#include <unistd.h>

#include <array>

namespace vorlune {

ProgramFolder::ProgramFolder(std::string folder, std::string executableName)
    : folder_(std::move(folder)), executableName_(std::move(executableName)) {
    while (folder_.size() > 1 && folder_.back() == '/') {
        folder_.pop_back();
    }
}

ProgramFolder ProgramFolder::OfRunningExecutable() {
    std::array<char, 4096> buffer{};
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        return ProgramFolder(".");
    }
    const std::string exe(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos) {
        return ProgramFolder(".", exe);
    }
    return ProgramFolder(slash == 0 ? "/" : exe.substr(0, slash), exe.substr(slash + 1));
}

std::string ProgramFolder::Join(std::string_view relative) const {
    std::string rel = ToLocalSeparators(relative);
    if (!rel.empty() && rel.front() != '/') {
        rel.insert(rel.begin(), '/');
    }
    return (folder_ == "/" ? std::string() : folder_) + rel;
}

std::string ToLocalSeparators(std::string_view path) {
    std::string out(path);
    for (char& c : out) {
        if (c == '\\') {
            c = '/';
        }
    }
    return out;
}

}  // namespace vorlune
