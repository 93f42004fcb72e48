// The signals simd serves in its loop rather than in handlers: SIGCHLD (a child ended) and
// SIGTERM, SIGINT, SIGHUP (shut the device down) arrive on a descriptor; SIGPIPE is ignored,
// since a peer that went away is seen on its connection.
#pragma once

#include <base/ScopedFd.h>

namespace sim {

class SignalWatch {
  public:
    SignalWatch();
    bool valid() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    // Reads every signal that came; true when one of them asks for shutdown.
    bool takeShutdownRequest();
    // Waits at most `hostSeconds` for a signal (a child's end, say), then takes what came.
    void pause(double hostSeconds);

  private:
    base::ScopedFd fd_;
};

}  // namespace sim
