#include <base/LocalSocket.h>
#include <errno.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstring>

namespace base {

namespace {

bool addressOf(const std::string& path, sockaddr_un& address) {
    static_assert(sizeof address.sun_path == LocalSocket::kMaxPathBytes + 1);
    if (path.empty() || path.size() > LocalSocket::kMaxPathBytes) {
        errno = ENAMETOOLONG;
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

ScopedFd streamSocket(int flags) {
    return ScopedFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0));
}

}  // namespace

LocalSocket LocalSocket::connectTo(const std::string& path, int flags) {
    sockaddr_un address{};
    if (!addressOf(path, address)) return {};
    ScopedFd fd = streamSocket(flags);
    if (!fd || connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return {};
    return LocalSocket(std::move(fd));
}

LocalSocket LocalSocket::listenAt(const std::string& path, int backlog, int flags) {
    sockaddr_un address{};
    if (!addressOf(path, address)) return {};
    ScopedFd fd = streamSocket(flags);
    if (!fd) return {};
    unlink(path.c_str());
    const mode_t old = umask(0077);
    const bool bound = bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    const int error = errno;
    umask(old);
    errno = error;
    if (!bound || listen(fd.get(), backlog) != 0) return {};
    return LocalSocket(std::move(fd));
}

LocalSocket LocalSocket::accept() const {
    return LocalSocket(accept4(get(), nullptr, nullptr, SOCK_CLOEXEC));
}

bool LocalSocket::writeAll(std::string_view bytes) const {
    return sendAll(get(), bytes.data(), bytes.size());
}

bool sendAll(int fd, const void* data, size_t size) {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::send(fd, next, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        next += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool receiveAll(int fd, void* data, size_t size) {
    char* next = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::recv(fd, next, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        next += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace base
