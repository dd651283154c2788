// Loaded into the program under test with LD_PRELOAD, it plays a sandbox that lets a program
// make no Unix socket names of its own: every bind of a Unix socket is refused as a security
// policy refuses it. Connecting (to the X server, to the sound server) still works.
#include <dlfcn.h>
#include <sys/socket.h>

#include <cerrno>

extern "C" int bind(int fd, const struct sockaddr* address, socklen_t length) {
    using Bind = int (*)(int, const struct sockaddr*, socklen_t);
    static const auto real = reinterpret_cast<Bind>(dlsym(RTLD_NEXT, "bind"));
    if (address != nullptr && address->sa_family == AF_UNIX) {
        errno = EPERM;
        return -1;
    }
    return real(fd, address, length);
}
