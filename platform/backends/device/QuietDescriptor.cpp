#include "QuietDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform::device {

void quieten(int fd) {
    // One pipe for the process, never closed: both ends live as long as the process does.
    static const int quiet = [] {
        int pipeFds[2];
        return pipe2(pipeFds, O_CLOEXEC) == 0 ? pipeFds[0] : -1;
    }();
    if (quiet >= 0) dup3(quiet, fd, O_CLOEXEC);
}

}  // namespace platform::device
