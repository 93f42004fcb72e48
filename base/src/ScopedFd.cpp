#include "base/ScopedFd.h"

#include <fcntl.h>

namespace base {

std::optional<Pipe> Pipe::create(int flags) {
    int fds[2];
    if (pipe2(fds, flags < 0 ? O_CLOEXEC : flags) != 0) return std::nullopt;
    return Pipe{ScopedFd(fds[0]), ScopedFd(fds[1])};
}

}  // namespace base
