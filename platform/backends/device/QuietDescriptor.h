// A descriptor of a service that went away must not stay an end-of-file, which would wake the
// run loop that watches it forever: it is turned into one that never becomes readable.
#pragma once

namespace platform::device {

// Makes `fd` a pipe's read end whose write end stays open, so it stays a valid run-loop
// source that never fires again.
void quieten(int fd);

}  // namespace platform::device
