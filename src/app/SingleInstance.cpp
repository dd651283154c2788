#include "app/SingleInstance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <functional>

namespace vorlune {

SingleInstance::SingleInstance(unsigned user, const std::string& dataFolder) {
    const std::string key = std::to_string(user) + ":" + dataFolder;
    std::string name = "vorlune:" + key;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // The first byte 0 puts the name in the abstract namespace; a path too long for the
    // address is replaced by its hash.
    if (name.size() > sizeof(address.sun_path) - 1) {
        name = "vorlune#" + std::to_string(std::hash<std::string>{}(key));
    }
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        anotherCopyRuns_ = errno == EADDRINUSE;
        ::close(fd_);
        fd_ = -1;
    }
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

}  // namespace vorlune
