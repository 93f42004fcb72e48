// Power management of the test platform: one connection at a time, whose messages the test
// delivers; a pipe plays the notification port's descriptor.
#include <fcntl.h>
#include <unistd.h>

#include "TestPlatform.h"

namespace platform::testing {

namespace {
constexpr io_connect_t kFirstConnection = 0x2A00;
constexpr io_object_t kFirstNotifier = 0x3B00;

void drain(int fd) {
    char buffer[64];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
}
}  // namespace

Backend::PowerRegistration TestPlatform::registerForSystemPower() {
    if (failNextRegistration_) {
        failNextRegistration_ = false;
        return {};
    }
    closePowerConnection();
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return {};
    ++registrations_;
    registration_ = PowerConnection{};
    registration_.connection = kFirstConnection + registrations_;
    registration_.notifier = kFirstNotifier + registrations_;
    registration_.readFd = fds[0];
    registration_.writeFd = fds[1];
    return {registration_.connection, registration_.notifier, registration_.readFd};
}

bool TestPlatform::deliverPowerMessage(natural_t type, long argument) {
    if (registration_.connection == 0) return false;
    registration_.queue.emplace_back(type, argument);
    const char byte = 1;
    if (::write(registration_.writeFd, &byte, 1) != 1) return false;
    runOnce();
    return true;
}

bool TestPlatform::nextPowerMessage(io_connect_t connection, natural_t* type, long* argument) {
    if (connection == 0 || connection != registration_.connection) return false;
    if (registration_.queue.empty()) {
        drain(registration_.readFd);  // every message taken: the descriptor goes quiet
        return false;
    }
    const auto [nextType, nextArgument] = registration_.queue.front();
    registration_.queue.pop_front();
    if (type) *type = nextType;
    if (argument) *argument = nextArgument;
    return true;
}

IOReturn TestPlatform::answerPowerChange(io_connect_t connection, long argument, bool allow) {
    if (keepRecords_) powerAnswers_.push_back({connection, argument, allow});
    return connection == registration_.connection && connection != 0 ? kIOReturnSuccess
                                                                     : kIOReturnNotOpen;
}

IOReturn TestPlatform::deregisterForSystemPower(io_object_t notifier) {
    if (failNextDeregistration_) {
        failNextDeregistration_ = false;
        return kIOReturnError;
    }
    return notifier != 0 && notifier == registration_.notifier ? kIOReturnSuccess
                                                               : kIOReturnNotOpen;
}

kern_return_t TestPlatform::serviceClose(io_connect_t connection) {
    if (connection == 0 || connection != registration_.connection) return kIOReturnNotOpen;
    closePowerConnection();
    return KERN_SUCCESS;
}

void TestPlatform::closePowerConnection() {
    if (registration_.readFd >= 0) ::close(registration_.readFd);
    if (registration_.writeFd >= 0) ::close(registration_.writeFd);
    registration_ = PowerConnection{};
}

}  // namespace platform::testing
