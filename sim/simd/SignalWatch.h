// The signals simd serves in its loop rather than in handlers: SIGCHLD (a child ended) and
// SIGTERM, SIGINT, SIGHUP (shut the device down) arrive on a descriptor; SIGPIPE is ignored,
// since a peer that went away is seen on its connection.
#pragma once

#include <base/ScopedFd.h>

namespace simd {

class SignalWatch {
  public:
    SignalWatch();
    bool valid() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    // Reads every signal that came; true when one of them (or one a pause took) asks for
    // shutdown.
    bool takeShutdownRequest();
    // Waits at most `hostSeconds` for a signal (a child's end, say), then takes what came; a
    // shutdown request among it is kept for the loop, which polls the descriptor only.
    void pause(double hostSeconds);
    bool shutdownPending() const { return shutdownPending_; }

  private:
    base::ScopedFd fd_;
    bool shutdownPending_ = false;
};

}  // namespace simd
