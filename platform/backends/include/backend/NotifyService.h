// The notify service: Darwin notifications, names posted system-wide with no payload
// (CoreFoundation's Darwin notify center rests on it). Each registration has a descriptor of
// its own that turns readable when a post of its name waits, so the run loop of the thread
// that registered serves it.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class NotifyService {
  public:
    struct Registration {
        uint64_t token = 0;  // 0: failure
        int eventFd = -1;    // readable when posts wait
    };

    virtual ~NotifyService() = default;
    virtual Registration registerFor(const std::string& name) = 0;
    // Takes every post that waits for the registration; how many there were (0: none).
    virtual unsigned takePosts(uint64_t token) = 0;
    // Ends the registration; its descriptor is closed.
    virtual void cancel(uint64_t token) = 0;
    // Posts `name` to every registration of it, this process's too.
    virtual bool post(const std::string& name) = 0;
};

}  // namespace platform
