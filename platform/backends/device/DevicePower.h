// The power service on the simulated device: each registration is a connection of its own to
// simd, whose descriptor is the run-loop source; simd pushes {op:"power", message, argument}
// on it and the answers go back on it.
#pragma once

#include <backend/PowerService.h>
#include <base/ScopedFd.h>

#include <map>
#include <mutex>

namespace platform::device {

class DevicePower final : public PowerService {
  public:
    static DevicePower& instance();

    Registration registerForSystemPower() override;
    bool nextMessage(uint32_t connection, uint32_t* type, long* argument) override;
    Result answer(uint32_t connection, long argument, bool allow) override;
    Result deregister(uint32_t notifier) override;
    Result close(uint32_t connection) override;

  private:
    struct Connection {
        base::ScopedFd fd;
        uint32_t notifier = 0;
        bool registered = true;
        bool dead = false;
    };
    void deaden(Connection& connection);

    std::mutex mutex_;
    std::map<uint32_t, Connection> connections_;
    uint32_t nextConnection_ = 0x3003;
};

}  // namespace platform::device
