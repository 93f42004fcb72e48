#include "Simd.h"

#include <poll.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/DeviceZone.h>
#include <wire/events/Powerd.h>
#include <wire/events/Simd.h>
#include <wire/messages/Device.h>
#include <wire/messages/Replies.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ClockService.h"

namespace simd {

double SimdOptions::killGrace() const { return std::max(20.0, minimumHostGrace * rate); }

double SimdOptions::answerTimeout() const { return std::max(30.0, minimumHostGrace * rate); }

// A quarter of a host second at least: SpringBoard, resumed with the device, must fire what woke
// it before the device sleeps again, however fast the clock runs (15 device seconds at rate 60).
double SimdOptions::darkWakeGrace() const { return std::max(10.0, 0.25 * rate); }

Simd::Simd(const SimdOptions& options, const wire::DeviceClock& clock, Parts parts)
    : options_(options), clock_(clock), parts_(parts) {}

void Simd::run() {
    Server& server = parts_.server;
    PowerManager& power = parts_.power.manager();
    while (running_) {
        // A SIGTERM that came while a request waited for a child (a respring) is served now.
        if (parts_.signals.shutdownPending()) handleSignals();
        if (!running_) break;
        if (!followBattery()) break;
        const double t = now();
        power.advance(t);
        parts_.launchd.advance(t);
        parts_.processes.advance(t);
        server.closeDropped();
        if (!running_) break;

        std::optional<double> deadline = power.nextDeadline();
        for (auto d : {parts_.launchd.nextDeadline(), parts_.processes.nextDeadline(),
                       parts_.battery.nextDeadline()})
            if (d && (!deadline || *d < *deadline)) deadline = d;
        double waitSeconds = 60;
        if (deadline)
            waitSeconds = std::clamp(clock_.hostTimeAt(*deadline) - wire::hostNow(), 0.0, 60.0);
        timespec timeout{};
        timeout.tv_sec = static_cast<time_t>(waitSeconds);
        timeout.tv_nsec = static_cast<long>((waitSeconds - std::floor(waitSeconds)) * 1e9);

        std::vector<pollfd> fds = {{server.listeningFd(), POLLIN, 0},
                                   {parts_.signals.fd(), POLLIN, 0}};
        std::vector<ConnectionId> ids;
        for (const auto& [id, fd] : server.connectionFds()) {
            fds.push_back({fd, POLLIN, 0});
            ids.push_back(id);
        }
        const int ready = ppoll(fds.data(), fds.size(), &timeout, nullptr);
        if (ready < 0 && errno != EINTR) {
            std::fprintf(stderr, "simd: poll: %s\n", std::strerror(errno));
            return;
        }
        if (ready <= 0) continue;
        // Before any request can change what the device does, the battery is brought up to
        // the moment it came: the time spent waiting counts under the conditions that held.
        if (!followBattery()) break;
        if (fds[1].revents) handleSignals();
        if (!running_) break;
        if (fds[0].revents & POLLIN) server.accept();
        for (size_t i = 0; i < ids.size(); ++i)
            if (fds[i + 2].revents && server.connected(ids[i])) server.serve(ids[i]);
    }
}

bool Simd::followBattery() {
    if (!parts_.battery.advance(now())) return true;
    // An empty battery switches the phone off as a shutdown does; its wake requests stay
    // booked, but nothing is left running to wake it.
    shutdown(std::nullopt);
    return false;
}

void Simd::handleSignals() {
    const bool shutdownWanted = parts_.signals.takeShutdownRequest();
    parts_.processes.reap();
    if (shutdownWanted) shutdown(std::nullopt);
}

void Simd::ping(const Caller& caller, const wire::Ping&) {
    caller.reply(wire::PidReply{true, getpid()});
}

void Simd::status(const Caller& caller, const wire::Status&) {
    const PowerManager& power = parts_.power.manager();
    auto timeOf = [](std::optional<double> v) {
        return v ? std::optional(wire::formatDeviceTime(*v)) : std::nullopt;
    };
    const std::vector<int> clients = power.clientPids();
    const std::string zone = wire::deviceZone(options_.root);
    caller.reply(wire::StatusReply{true,
                                   wire::formatDeviceTime(now()),
                                   power.asleep() ? "asleep" : "awake",
                                   {clients.begin(), clients.end()},
                                   timeOf(power.idleDeadline()),
                                   timeOf(power.wakeAt()),
                                   options_.rate,
                                   options_.idleSleep,
                                   parts_.launchd.status(),
                                   parts_.processes.springBoardPid(),
                                   getpid(),
                                   zone,
                                   wire::formatLocalTime(now(), zone),
                                   parts_.battery.status(now())});
}

void Simd::shutdown(const Caller& caller, const wire::Shutdown&) { shutdown(caller); }

void Simd::shutdown(const std::optional<Caller>& requester) {
    if (!running_) return;
    parts_.log.write(wire::events::Shutdown{});
    if (parts_.processes.suspended()) {
        parts_.processes.resume();
        parts_.log.write(wire::events::Wake{"shutdown"});
    }
    parts_.processes.endAll(std::max(20.0 / options_.rate, options_.minimumHostGrace),
                            options_.minimumHostGrace);
    parts_.battery.keep(now());
    parts_.log.write(wire::events::ShutdownComplete{});
    removeRunFiles(options_.root);
    parts_.server.stopListening();
    if (requester) requester->reply(wire::Reply::accepted());
    running_ = false;
}

void removeRunFiles(const std::string& hostRoot) {
    for (const std::string& file :
         {wire::serviceSocket(wire::kSimdService), wire::serviceSocket(wire::kSpringBoardService),
          std::string(wire::paths::kClock), std::string(wire::paths::kSimdPid),
          std::string(wire::paths::kStatusBar)})
        unlink(wire::inRoot(hostRoot, file).c_str());
}

}  // namespace simd
