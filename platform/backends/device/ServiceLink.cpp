#include "ServiceLink.h"

#include <poll.h>
#include <unistd.h>
#include <wire/Wire.h>

#include <chrono>

namespace platform::device {

ServiceLink::ServiceLink(std::string root, std::string service, Answers answers, Greeting greeting)
    : root_(std::move(root)),
      service_(std::move(service)),
      answers_(answers),
      greeting_(std::move(greeting)) {}

bool ServiceLink::connectedLocked() const { return fd_ && owner_ == getpid(); }

void ServiceLink::dropLocked() {
    // A forked child holds its parent's descriptor: closing its copy leaves the parent's be.
    fd_.reset();
    connection_ = 0;
    unanswered_ = 0;
}

bool ServiceLink::connectLocked() {
    if (connectedLocked()) return true;
    dropLocked();
    fd_ = wire::connectToService(root_, service_);
    owner_ = getpid();
    if (!fd_) return false;
    if (greeting_ && !wire::sendMessage(fd_.get(), greeting_())) {
        dropLocked();
        return false;
    }
    connection_ = ++made_;
    return true;
}

void ServiceLink::readAnswersLocked() {
    // Answers nobody waits for must not pile up in the socket; reading them, or the end of a
    // service that went away, never waits.
    pollfd p{fd_.get(), POLLIN, 0};
    while (fd_ && poll(&p, 1, 0) > 0) {
        if (!(p.revents & POLLIN) || !wire::receiveMessage(fd_.get())) {
            dropLocked();
            return;
        }
        if (unanswered_ > 0) --unanswered_;
    }
}

bool ServiceLink::sendLocked(const PList::Dictionary& message) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (connectedLocked()) readAnswersLocked();
        if (!connectLocked()) continue;
        if (wire::sendMessage(fd_.get(), message)) return true;
        dropLocked();
    }
    return false;
}

uint64_t ServiceLink::liveConnection() {
    std::lock_guard lock(mutex_);
    if (connectedLocked()) readAnswersLocked();
    return connectLocked() ? connection_ : 0;
}

bool ServiceLink::send(const PList::Dictionary& message) {
    std::lock_guard lock(mutex_);
    if (!sendLocked(message)) return false;
    if (answers_ == Answers::everyMessage) ++unanswered_;
    return true;
}

std::unique_ptr<PList::Dictionary> ServiceLink::request(const PList::Dictionary& message,
                                                        int timeoutMs) {
    std::lock_guard lock(mutex_);
    if (!sendLocked(message)) return nullptr;
    // The service answers in order: the answers to earlier one-way messages come first.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        auto reply = wire::receiveMessageWithin(fd_.get(), std::max<int>(0, left.count()));
        if (!reply) {
            dropLocked();  // a late reply would be taken for the next request's
            return nullptr;
        }
        if (unanswered_ == 0) return reply;
        --unanswered_;
    }
}

}  // namespace platform::device
