// The test backend's power service: one registration at a time, whose messages the test
// queues; a pipe plays the notification port's descriptor.
#pragma once

#include <backend/PowerService.h>
#include <base/ScopedFd.h>

#include <deque>
#include <utility>

#include "CallLog.h"

namespace platform::testing {

class TestPower : public PowerService {
  public:
    explicit TestPower(CallLog& log) : log_(log) {}

    // Queues a message on the registered connection and makes its descriptor readable; the
    // run loop then serves it. False when nothing is registered.
    bool queueMessage(uint32_t type, long argument);
    void failNextRegistration() { failNextRegistration_ = true; }
    void failNextDeregistration() { failNextDeregistration_ = true; }
    bool registered() const { return registration_.connection != 0; }
    uint32_t connection() const { return registration_.connection; }

    Registration registerForSystemPower() override;
    bool nextMessage(uint32_t connection, uint32_t* type, long* argument) override;
    Result answer(uint32_t connection, long argument, bool allow) override;
    Result deregister(uint32_t notifier) override;
    Result close(uint32_t connection) override;

  private:
    struct Connection {
        uint32_t connection = 0;
        uint32_t notifier = 0;
        base::ScopedFd readFd;
        base::ScopedFd writeFd;
        std::deque<std::pair<uint32_t, long>> queue;
    };

    CallLog& log_;
    bool failNextRegistration_ = false;
    bool failNextDeregistration_ = false;
    unsigned registrations_ = 0;
    Connection registration_;
};

}  // namespace platform::testing
