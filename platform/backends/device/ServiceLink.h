// A device process's connection to one of the device's services (simd, SpringBoard): made on
// first use, made again once when it broke (or when the process forked), shared by the
// process's threads.
#pragma once

#include <plist/plist++.h>
#include <sys/types.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace platform::device {

class ServiceLink {
  public:
    // `greet` runs on every new connection before anything else is sent on it.
    ServiceLink(std::string root, std::string service, std::function<void(int fd)> greet = {});
    ~ServiceLink();
    ServiceLink(const ServiceLink&) = delete;
    ServiceLink& operator=(const ServiceLink&) = delete;

    // Connects now (greeting) unless connected; false when the service cannot be reached.
    bool connect();
    // One-way: false when the service could not be reached even after reconnecting.
    bool send(const PList::Dictionary& message);
    // Request and reply on this connection (for services that reply to requests only).
    std::unique_ptr<PList::Dictionary> request(const PList::Dictionary& message, int timeoutMs);
    // Request and reply on a connection of its own, for services that may also answer
    // one-way messages: no earlier answer can be taken for this one's.
    std::unique_ptr<PList::Dictionary> requestAlone(const PList::Dictionary& message,
                                                    int timeoutMs) const;

  private:
    bool connectLocked();
    void dropLocked();
    void drainLocked();
    bool sendLocked(const PList::Dictionary& message);

    std::string root_;
    std::string service_;
    std::function<void(int)> greet_;
    std::mutex mutex_;
    int fd_ = -1;
    pid_t owner_ = 0;
};

}  // namespace platform::device
