#include "TestPower.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform::testing {

namespace {
constexpr uint32_t kFirstConnection = 0x2A00;
constexpr uint32_t kFirstNotifier = 0x3B00;

void drain(int fd) {
    char buffer[64];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
}
}  // namespace

PowerService::Registration TestPower::registerForSystemPower() {
    Registration result;
    int fds[2];
    if (failNextRegistration_) {
        failNextRegistration_ = false;
    } else if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        ++registrations_;
        registration_ = Connection{};  // one at a time: an earlier one ends
        registration_.connection = kFirstConnection + registrations_;
        registration_.notifier = kFirstNotifier + registrations_;
        registration_.readFd.reset(fds[0]);
        registration_.writeFd.reset(fds[1]);
        result = {registration_.connection, registration_.notifier, fds[0]};
    }
    log_.add(PowerRegistration{result.connection});
    return result;
}

bool TestPower::queueMessage(uint32_t type, long argument) {
    if (registration_.connection == 0) return false;
    registration_.queue.emplace_back(type, argument);
    const char byte = 1;
    return ::write(registration_.writeFd.get(), &byte, 1) == 1;
}

bool TestPower::nextMessage(uint32_t connection, uint32_t* type, long* argument) {
    if (connection == 0 || connection != registration_.connection) return false;
    if (registration_.queue.empty()) {
        drain(registration_.readFd.get());  // every message taken: the descriptor goes quiet
        return false;
    }
    const auto [nextType, nextArgument] = registration_.queue.front();
    registration_.queue.pop_front();
    if (type) *type = nextType;
    if (argument) *argument = nextArgument;
    return true;
}

PowerService::Result TestPower::answer(uint32_t connection, long argument, bool allow) {
    log_.add(PowerAnswer{connection, argument, allow});
    return connection == registration_.connection && connection != 0 ? Result::ok : Result::notOpen;
}

PowerService::Result TestPower::deregister(uint32_t notifier) {
    log_.add(PowerDeregistration{notifier});
    if (failNextDeregistration_) {
        failNextDeregistration_ = false;
        return Result::failed;
    }
    return notifier != 0 && notifier == registration_.notifier ? Result::ok : Result::notOpen;
}

PowerService::Result TestPower::close(uint32_t connection) {
    log_.add(PowerClose{connection});
    if (connection == 0 || connection != registration_.connection) return Result::notOpen;
    registration_ = Connection{};
    return Result::ok;
}

}  // namespace platform::testing
