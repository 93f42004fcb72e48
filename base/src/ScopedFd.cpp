#include "base/ScopedFd.h"

#include <fcntl.h>
#include <sys/socket.h>

namespace base {

std::optional<Pipe> Pipe::create(int flags) {
    int fds[2];
    if (pipe2(fds, flags < 0 ? O_CLOEXEC : flags) != 0) return std::nullopt;
    return Pipe{ScopedFd(fds[0]), ScopedFd(fds[1])};
}

std::optional<pid_t> peerPid(const ScopedFd& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(socket.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.pid <= 0)
        return std::nullopt;
    return peer.pid;
}

}  // namespace base
