#include "DeviceNotify.h"

#include <poll.h>
#include <wire/Message.h>
#include <wire/messages/Device.h>
#include <wire/messages/Notify.h>
#include <wire/messages/Replies.h>

#include "DeviceLinks.h"
#include "QuietDescriptor.h"

namespace platform::device {

DeviceNotify& DeviceNotify::instance() {
    static DeviceNotify* notify = new DeviceNotify;  // never destroyed, as the links
    return *notify;
}

NotifyService::Registration DeviceNotify::registerFor(const std::string& name) {
    Registration registration;
    base::LocalSocket fd =
        wire::connectToService(DeviceLinks::instance().root(), wire::kSimdService);
    if (!fd) return registration;
    // Waiting for the answer means simd knows the registration before the caller goes on, so
    // no post that follows is missed.
    std::unique_ptr<PList::Dictionary> reply;
    if (wire::send(fd.get(), wire::NotifyRegister{{name}}))
        reply = wire::receiveMessageWithin(fd.get(), kReplyTimeoutMs);
    if (!reply || !wire::decode<wire::Reply>(*reply).ok) return registration;
    std::lock_guard lock(mutex_);
    registration.token = nextToken_++;
    registration.eventFd = fd.get();
    connections_[registration.token].fd = std::move(fd);
    return registration;
}

unsigned DeviceNotify::takePosts(uint64_t token) {
    std::lock_guard lock(mutex_);
    auto it = connections_.find(token);
    if (it == connections_.end() || it->second.dead) return 0;
    Connection& entry = it->second;
    unsigned posts = 0;
    for (;;) {
        pollfd p{entry.fd.get(), POLLIN, 0};
        if (poll(&p, 1, 0) <= 0) return posts;
        auto pushed = wire::receiveMessage(entry.fd.get());
        if (!pushed) {  // simd is gone
            quieten(entry.fd.get());
            entry.dead = true;
            return posts;
        }
        if (wire::opOf(*pushed) == wire::NotifyDelivery::kOp) ++posts;
    }
}

void DeviceNotify::cancel(uint64_t token) {
    std::lock_guard lock(mutex_);
    connections_.erase(token);  // closes its descriptor: simd forgets the registration
}

bool DeviceNotify::post(const std::string& name) {
    return DeviceLinks::instance().simd().send(wire::NotifyPost{{name}});
}

}  // namespace platform::device
