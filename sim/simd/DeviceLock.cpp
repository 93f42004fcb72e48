#include "DeviceLock.h"

#include <fcntl.h>
#include <wire/DevicePaths.h>

#include <cerrno>
#include <cstring>

namespace simd {

namespace {

base::ScopedFd openLockFile(const std::string& hostRoot, int flags) {
    return base::ScopedFd(open(wire::inRoot(hostRoot, wire::paths::kSimdLock).c_str(),
                               flags | O_CLOEXEC | O_NOFOLLOW, 0600));
}

flock wholeFile(short type) {
    flock lock{};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;  // start and length 0: the whole file, however it grows
    return lock;
}

}  // namespace

std::optional<DeviceLock> DeviceLock::take(const std::string& hostRoot, std::string* error) {
    base::ScopedFd fd = openLockFile(hostRoot, O_RDWR | O_CREAT);
    if (!fd) {
        if (error)
            *error =
                std::string("cannot open ") + wire::paths::kSimdLock + ": " + std::strerror(errno);
        return std::nullopt;
    }
    flock lock = wholeFile(F_WRLCK);
    if (fcntl(fd.get(), F_OFD_SETLK, &lock) != 0) {
        if (error)
            *error = errno == EAGAIN || errno == EACCES
                         ? std::string(kAlreadyBooted)
                         : std::string("cannot lock ") + wire::paths::kSimdLock + ": " +
                               std::strerror(errno);
        return std::nullopt;
    }
    return DeviceLock(std::move(fd));
}

bool DeviceLock::held(const std::string& hostRoot) {
    const base::ScopedFd fd = openLockFile(hostRoot, O_RDONLY);
    if (!fd) return false;  // never booted since it was laid out
    // A write lock is what simd takes; asking whether one could be placed looks at any holder.
    flock lock = wholeFile(F_WRLCK);
    if (fcntl(fd.get(), F_OFD_GETLK, &lock) != 0) return false;
    return lock.l_type != F_UNLCK;
}

}  // namespace simd
