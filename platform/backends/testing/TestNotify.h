// The test backend's notify service: registrations by name, each with a pipe that plays its
// descriptor; the test posts as another process of the device would, and the process's own
// posts reach its registrations as on the phone.
#pragma once

#include <backend/NotifyService.h>
#include <base/ScopedFd.h>

#include <map>
#include <string>
#include <vector>

#include "CallLog.h"

namespace platform::testing {

class TestNotify final : public NotifyService {
  public:
    explicit TestNotify(CallLog& log) : log_(log) {}

    // A post of `name` from elsewhere on the device; how many registrations it reached. The
    // run loop serves them.
    size_t deliver(const std::string& name);
    // The names registered now, one entry a registration.
    std::vector<std::string> registeredNames() const;

    Registration registerFor(const std::string& name) override;
    unsigned takePosts(uint64_t token) override;
    void cancel(uint64_t token) override;
    bool post(const std::string& name) override;

  private:
    struct Entry {
        std::string name;
        base::ScopedFd readFd;
        base::ScopedFd writeFd;
    };

    CallLog& log_;
    std::map<uint64_t, Entry> entries_;
    uint64_t nextToken_ = 1;
};

}  // namespace platform::testing
