#include "DevicePower.h"

#include <poll.h>
#include <wire/Message.h>
#include <wire/messages/Device.h>
#include <wire/messages/Power.h>

#include "DeviceLinks.h"
#include "QuietDescriptor.h"

namespace platform::device {

namespace {
constexpr int kRegisterTimeoutMs = 10000;
}

DevicePower& DevicePower::instance() {
    static DevicePower* power = new DevicePower;  // never destroyed, as the links
    return *power;
}

PowerService::Registration DevicePower::registerForSystemPower() {
    Registration registration;
    base::LocalSocket fd =
        wire::connectToService(DeviceLinks::instance().root(), wire::kSimdService);
    if (!fd) return registration;
    std::unique_ptr<PList::Dictionary> reply;
    if (wire::send(fd.get(), wire::PowerRegister{DeviceLinks::pid()}))
        reply = wire::receiveMessageWithin(fd.get(), kRegisterTimeoutMs);
    if (!reply || !wire::decode<wire::PowerRegistered>(*reply).ok) return registration;
    std::lock_guard lock(mutex_);
    const uint32_t connection = nextConnection_;
    nextConnection_ += 4;
    Connection& entry = connections_[connection];
    entry.fd = std::move(fd);
    entry.notifier = connection + 1;
    registration.connection = connection;
    registration.notifier = entry.notifier;
    registration.eventFd = entry.fd.get();
    return registration;
}

void DevicePower::deaden(Connection& connection) {
    quieten(connection.fd.get());  // simd is gone
    connection.dead = true;
}

bool DevicePower::nextMessage(uint32_t connection, uint32_t* type, long* argument) {
    std::lock_guard lock(mutex_);
    auto it = connections_.find(connection);
    if (it == connections_.end() || it->second.dead) return false;
    Connection& entry = it->second;
    for (;;) {
        pollfd p{entry.fd.get(), POLLIN, 0};
        if (poll(&p, 1, 0) <= 0) return false;
        auto pushed = wire::receiveMessage(entry.fd.get());
        if (!pushed) {
            deaden(entry);
            return false;
        }
        if (wire::opOf(*pushed) != wire::PowerMessage::kOp) continue;  // nothing else is pushed
        const auto power = wire::decode<wire::PowerMessage>(*pushed);
        if (!power.message || !power.argument || !entry.registered) continue;
        *type = *power.message;
        *argument = static_cast<long>(*power.argument);
        return true;
    }
}

PowerService::Result DevicePower::answer(uint32_t connection, long argument, bool allow) {
    std::lock_guard lock(mutex_);
    auto it = connections_.find(connection);
    if (it == connections_.end()) return Result::notOpen;
    if (it->second.dead) return Result::failed;
    const wire::PowerAnswer m{argument, allow};
    return wire::send(it->second.fd.get(), m) ? Result::ok : Result::failed;
}

PowerService::Result DevicePower::deregister(uint32_t notifier) {
    std::lock_guard lock(mutex_);
    for (auto& [connection, entry] : connections_) {
        if (entry.notifier != notifier || !entry.registered) continue;
        entry.registered = false;
        if (!entry.dead) wire::send(entry.fd.get(), wire::PowerDeregister{});
        return Result::ok;
    }
    return Result::failed;
}

PowerService::Result DevicePower::close(uint32_t connection) {
    std::lock_guard lock(mutex_);
    auto it = connections_.find(connection);
    if (it == connections_.end()) return Result::notOpen;
    connections_.erase(it);  // closes its descriptor
    return Result::ok;
}

}  // namespace platform::device
