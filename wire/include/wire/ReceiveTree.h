// A received message as libplist's own tree, for a reader that decodes it at once: libplist++
// 2.2 never frees the wrappers it makes for a list's items, which the leak check of a
// short-lived program reports (launchctl reads the job list this way).
#pragma once

#include <base/PlistHandles.h>

namespace wire {

// Waits at most `timeoutMs` (host time) for one whole message; empty on timeout, when the peer
// is gone or when the frame holds no dictionary.
base::PlistTree receiveTreeWithin(int fd, int timeoutMs);

}  // namespace wire
