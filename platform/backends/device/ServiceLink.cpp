#include "ServiceLink.h"

#include <poll.h>
#include <unistd.h>
#include <wire/Wire.h>

namespace platform::device {

ServiceLink::ServiceLink(std::string root, std::string service, std::function<void(int)> greet)
    : root_(std::move(root)), service_(std::move(service)), greet_(std::move(greet)) {}

ServiceLink::~ServiceLink() {
    if (fd_ >= 0 && owner_ == getpid()) close(fd_);
}

void ServiceLink::dropLocked() {
    // A forked child holds its parent's descriptor: closing its copy leaves the parent's be.
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool ServiceLink::connectLocked() {
    if (fd_ >= 0 && owner_ == getpid()) return true;
    dropLocked();
    fd_ = wire::connectToService(root_, service_);
    owner_ = getpid();
    if (fd_ < 0) return false;
    if (greet_) greet_(fd_);
    return true;
}

void ServiceLink::drainLocked() {
    // Answers nobody waits for must not pile up in the socket.
    pollfd p{fd_, POLLIN, 0};
    while (fd_ >= 0 && poll(&p, 1, 0) > 0) {
        if (!(p.revents & POLLIN) || !wire::receiveMessage(fd_)) {
            dropLocked();
            return;
        }
    }
}

bool ServiceLink::sendLocked(const PList::Dictionary& message) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!connectLocked()) continue;
        drainLocked();
        if (fd_ >= 0 && wire::sendMessage(fd_, message)) return true;
        dropLocked();
    }
    return false;
}

bool ServiceLink::connect() {
    std::lock_guard lock(mutex_);
    return connectLocked();
}

bool ServiceLink::send(const PList::Dictionary& message) {
    std::lock_guard lock(mutex_);
    return sendLocked(message);
}

std::unique_ptr<PList::Dictionary> ServiceLink::request(const PList::Dictionary& message,
                                                        int timeoutMs) {
    std::lock_guard lock(mutex_);
    if (!sendLocked(message)) return nullptr;
    auto reply = wire::receiveMessageWithin(fd_, timeoutMs);
    if (!reply) dropLocked();  // a late reply would be taken for the next request's
    return reply;
}

std::unique_ptr<PList::Dictionary> ServiceLink::requestAlone(const PList::Dictionary& message,
                                                             int timeoutMs) const {
    const int fd = wire::connectToService(root_, service_);
    if (fd < 0) return nullptr;
    std::unique_ptr<PList::Dictionary> reply;
    if (wire::sendMessage(fd, message)) reply = wire::receiveMessageWithin(fd, timeoutMs);
    close(fd);
    return reply;
}

}  // namespace platform::device
