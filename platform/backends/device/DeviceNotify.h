// The notify service on the simulated device: each registration is a connection of its own to
// simd, whose descriptor is the run-loop source; simd pushes {op:"notification", name} on it.
// Posts go on the process's link to simd.
#pragma once

#include <backend/NotifyService.h>
#include <base/ScopedFd.h>

#include <map>
#include <mutex>

namespace platform::device {

class DeviceNotify final : public NotifyService {
  public:
    static DeviceNotify& instance();

    Registration registerFor(const std::string& name) override;
    unsigned takePosts(uint64_t token) override;
    void cancel(uint64_t token) override;
    bool post(const std::string& name) override;

  private:
    struct Connection {
        base::ScopedFd fd;
        bool dead = false;
    };

    std::mutex mutex_;
    std::map<uint64_t, Connection> connections_;
    uint64_t nextToken_ = 1;
};

}  // namespace platform::device
