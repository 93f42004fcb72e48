#include "DeviceProcess.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>
#include <wire/DeviceTime.h>
#include <wire/DeviceZone.h>
#include <wire/events/Event.h>
#include <wire/messages/Device.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "DeviceLinks.h"

namespace platform::device {

namespace {
void continued(int) {}

// simd stops every device process while the device sleeps and continues it at the wake. A wait
// the stop interrupted would otherwise be restarted with the time it had left when it was
// stopped, so a timer that fell due during the sleep would fire that much after the wake: too
// late for the notification that woke the device. A handler (any, with SA_RESTART so no other
// call notices) makes the wait return at the continue instead, and the run loop looks at its
// timers again on the device clock. A program that handles SIGCONT itself keeps its handler.
void endWaitsAtContinue() {
    static const bool once = [] {
        struct sigaction before {};
        if (sigaction(SIGCONT, nullptr, &before) == 0 && before.sa_handler == SIG_DFL &&
            !(before.sa_flags & SA_SIGINFO)) {
            struct sigaction handler {};
            handler.sa_handler = continued;
            handler.sa_flags = SA_RESTART;
            sigemptyset(&handler.sa_mask);
            sigaction(SIGCONT, &handler, nullptr);
        }
        return true;
    }();
    (void)once;
}
}  // namespace

DeviceProcess& DeviceProcess::instance() {
    static DeviceProcess* process = new DeviceProcess;  // never destroyed, as the links
    return *process;
}

double DeviceProcess::now() { return DeviceLinks::instance().clock().now(); }

double DeviceProcess::elapsed() { return DeviceLinks::instance().elapsedClock().elapsedNow(); }

std::string DeviceProcess::timeZoneName() {
    return wire::deviceZone(DeviceLinks::instance().root());
}

std::vector<int> DeviceProcess::wait(const std::vector<int>& fds, std::optional<double> until) {
    endWaitsAtContinue();
    std::vector<pollfd> polled;
    for (int fd : fds) polled.push_back({fd, POLLIN, 0});
    timespec timeout{};
    timespec* limit = nullptr;
    if (until) {
        const double seconds =
            std::max(0.0, DeviceLinks::instance().elapsedClock().hostTimeAtElapsed(*until) -
                              wire::hostNow());
        timeout.tv_sec = static_cast<time_t>(std::min(seconds, 1e9));
        timeout.tv_nsec = static_cast<long>((seconds - std::floor(seconds)) * 1e9);
        if (timeout.tv_nsec >= 1000000000L) timeout.tv_nsec = 999999999L;
        limit = &timeout;
    }
    std::vector<int> ready;
    const int n = ppoll(polled.data(), polled.size(), limit, nullptr);
    if (n <= 0) return ready;
    for (const pollfd& p : polled)
        if (p.revents & (POLLIN | POLLHUP | POLLERR)) ready.push_back(p.fd);
    return ready;
}

std::string DeviceProcess::name() { return DeviceLinks::instance().processName(); }

void DeviceProcess::log(const std::string& line) {
    DeviceLinks& links = DeviceLinks::instance();
    const std::string& name = links.processName();
    std::fprintf(stderr, "%s[%d]: %s\n", name.c_str(), static_cast<int>(getpid()), line.c_str());
    // An event for the device's log; simd stamps the time.
    const wire::events::Log event{DeviceLinks::pid(), name, line};
    wire::LogEvent m;
    m.details.dict = std::make_unique<PList::Dictionary>(wire::encode(event));
    m.source = name;
    m.event = wire::events::Log::kEvent;
    links.simd().send(m);
}

}  // namespace platform::device
