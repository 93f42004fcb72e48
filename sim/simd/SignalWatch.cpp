#include "SignalWatch.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <utility>

namespace simd {

SignalWatch::SignalWatch() {
    sigset_t handled;
    sigemptyset(&handled);
    for (int sig : {SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaddset(&handled, sig);
    sigprocmask(SIG_BLOCK, &handled, nullptr);
    signal(SIGPIPE, SIG_IGN);
    fd_.reset(signalfd(-1, &handled, SFD_CLOEXEC | SFD_NONBLOCK));
}

bool SignalWatch::takeShutdownRequest() {
    signalfd_siginfo info{};
    bool shutdown = std::exchange(shutdownPending_, false);
    while (read(fd_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        if (info.ssi_signo != SIGCHLD) shutdown = true;
    return shutdown;
}

void SignalWatch::pause(double hostSeconds) {
    pollfd p{fd_.get(), POLLIN, 0};
    const double whole = std::floor(hostSeconds);
    const timespec limit{static_cast<time_t>(whole),
                         static_cast<long>((hostSeconds - whole) * 1e9)};
    ppoll(&p, 1, &limit, nullptr);
    shutdownPending_ = takeShutdownRequest();
}

}  // namespace simd
