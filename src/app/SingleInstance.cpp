#include "app/SingleInstance.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <functional>

namespace vorlune {
namespace {

// How many names a copy tries when other users' sockets hold the ones before.
constexpr int kNames = 8;

struct SocketName {
    sockaddr_un address{};
    socklen_t length = 0;
};

// The n-th name of the mark in the abstract namespace (first byte 0); a key too long for the
// address is replaced by its hash.
SocketName NameOf(const std::string& key, int n) {
    std::string name = "vorlune:" + key;
    if (name.size() + 3 > sizeof(sockaddr_un::sun_path) - 1) {
        name = "vorlune#" + std::to_string(std::hash<std::string>{}(key));
    }
    if (n > 0) {
        name += "#" + std::to_string(n);
    }
    SocketName socketName;
    socketName.address.sun_family = AF_UNIX;
    std::memcpy(socketName.address.sun_path + 1, name.data(), name.size());
    socketName.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return socketName;
}

enum class Holder { Us, Other };

// Who holds a bound name: the kernel tells the credentials of the process that listens there.
// The connection is made without waiting; a holder that does not listen, or whose queue is
// full, counts as another user's.
Holder HolderOf(const SocketName& name, unsigned user) {
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0) {
        return Holder::Other;
    }
    Holder holder = Holder::Other;
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::connect(probe, reinterpret_cast<const sockaddr*>(&name.address), name.length) == 0 &&
        ::getsockopt(probe, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == user) {
        holder = Holder::Us;
    }
    ::close(probe);
    return holder;
}

}  // namespace

SingleInstance::SingleInstance(unsigned user, const std::string& dataFolder) {
    const std::string key = std::to_string(user) + ":" + dataFolder;
    for (int n = 0; n < kNames; ++n) {
        const SocketName name = NameOf(key, n);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return;
        }
        // Listening lets a later copy ask whose mark this is.
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&name.address), name.length) == 0 &&
            ::listen(fd, SOMAXCONN) == 0) {
            fd_ = fd;
            return;
        }
        const int error = errno;
        ::close(fd);
        if (error != EADDRINUSE) {
            return;
        }
        // Anyone may bind any abstract name: only this user's copy means a second copy; a
        // name another user took first is passed over for the next.
        if (HolderOf(name, user) == Holder::Us) {
            anotherCopyRuns_ = true;
            return;
        }
    }
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

}  // namespace vorlune
