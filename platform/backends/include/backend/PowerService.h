// The power service: system-power registrations, the messages the power manager sends them
// and the answers that go back (IOKit's IOPMLib.h rests on it).
#pragma once

#include <cstdint>

namespace platform {

class PowerService {
  public:
    struct Registration {
        uint32_t connection = 0;  // 0: failure
        uint32_t notifier = 0;
        int eventFd = -1;  // readable when messages wait
    };
    // IOKit turns each into its own return code.
    enum class Result { ok, notOpen, failed };

    virtual ~PowerService() = default;
    virtual Registration registerForSystemPower() = 0;
    // The next waiting message of the connection, if any.
    virtual bool nextMessage(uint32_t connection, uint32_t* type, long* argument) = 0;
    virtual Result answer(uint32_t connection, long argument, bool allow) = 0;
    virtual Result deregister(uint32_t notifier) = 0;
    virtual Result close(uint32_t connection) = 0;
};

}  // namespace platform
