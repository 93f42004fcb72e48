// IOKit power on the simulated device: each registration is a connection of its own to simd,
// whose descriptor is the run-loop source; simd pushes {op:"power", message, argument} on it
// and the answers go back on it.
#include <poll.h>
#include <unistd.h>
#include <wire/Wire.h>

#include "DeviceBackend.h"

namespace platform::device {

namespace {
constexpr int kRegisterTimeoutMs = 10000;
}

Backend::PowerRegistration DeviceBackend::registerForSystemPower() {
    PowerRegistration registration;
    const int fd = wire::connectToService(root_, "simd");
    if (fd < 0) return registration;
    PList::Dictionary request = message("power-register");
    request.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
    std::unique_ptr<PList::Dictionary> reply;
    if (wire::sendMessage(fd, request)) reply = wire::receiveMessageWithin(fd, kRegisterTimeoutMs);
    if (!reply || !wire::boolField(*reply, "ok")) {
        close(fd);
        return registration;
    }
    std::lock_guard lock(powerMutex_);
    const io_connect_t connection = nextConnection_;
    nextConnection_ += 4;
    PowerConnection& entry = power_[connection];
    entry.fd = fd;
    entry.notifier = connection + 1;
    registration.connection = connection;
    registration.notifier = entry.notifier;
    registration.eventFd = fd;
    return registration;
}

void DeviceBackend::deaden(PowerConnection& connection) {
    // simd is gone. The descriptor stays a valid run-loop source that never fires again,
    // instead of an end-of-file that would wake the run loop forever.
    if (quietFd_ >= 0) dup2(quietFd_, connection.fd);
    connection.dead = true;
}

bool DeviceBackend::nextPowerMessage(io_connect_t connection, natural_t* type, long* argument) {
    std::lock_guard lock(powerMutex_);
    auto it = power_.find(connection);
    if (it == power_.end() || it->second.dead) return false;
    PowerConnection& entry = it->second;
    for (;;) {
        pollfd p{entry.fd, POLLIN, 0};
        if (poll(&p, 1, 0) <= 0) return false;
        auto pushed = wire::receiveMessage(entry.fd);
        if (!pushed) {
            deaden(entry);
            return false;
        }
        if (wire::stringField(*pushed, "op") != "power") continue;  // nothing else is pushed
        const auto code = wire::integerField(*pushed, "message");
        const auto value = wire::integerField(*pushed, "argument");
        if (!code || !value || !entry.registered) continue;
        *type = static_cast<natural_t>(*code);
        *argument = static_cast<long>(*value);
        return true;
    }
}

IOReturn DeviceBackend::answerPowerChange(io_connect_t connection, long argument, bool allow) {
    std::lock_guard lock(powerMutex_);
    auto it = power_.find(connection);
    if (it == power_.end()) return kIOReturnNotOpen;
    if (it->second.dead) return kIOReturnError;
    PList::Dictionary answer = message("power-answer");
    answer.Set("argument", PList::Integer(static_cast<uint64_t>(argument)));
    answer.Set("allow", PList::Boolean(allow));
    return wire::sendMessage(it->second.fd, answer) ? kIOReturnSuccess : kIOReturnError;
}

IOReturn DeviceBackend::deregisterForSystemPower(io_object_t notifier) {
    std::lock_guard lock(powerMutex_);
    for (auto& [connection, entry] : power_) {
        if (entry.notifier != notifier || !entry.registered) continue;
        entry.registered = false;
        if (!entry.dead) wire::sendMessage(entry.fd, message("power-deregister"));
        return kIOReturnSuccess;
    }
    return kIOReturnError;
}

kern_return_t DeviceBackend::serviceClose(io_connect_t connection) {
    std::lock_guard lock(powerMutex_);
    auto it = power_.find(connection);
    if (it == power_.end()) return kIOReturnNotOpen;
    close(it->second.fd);
    power_.erase(it);
    return KERN_SUCCESS;
}

}  // namespace platform::device
