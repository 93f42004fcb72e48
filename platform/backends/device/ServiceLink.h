// A device process's connection to one of the device's services (simd, SpringBoard), kept for
// the life of the process as the phone keeps a Mach port: made on first use, made again on the
// next call once it broke (the service restarted) or the process forked, shared by the
// process's threads. One-way messages are sent without waiting; a request waits for its own
// reply only.
#pragma once

#include <base/ScopedFd.h>
#include <plist/plist++.h>
#include <sys/types.h>
#include <wire/Message.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace platform::device {

class ServiceLink {
  public:
    // Whether the service answers every message (SpringBoard) or requests only (simd): the
    // answers to one-way messages are read without waiting and never taken for a request's.
    enum class Answers { requestsOnly, everyMessage };
    // The message that goes first on every new connection (none: no greeting).
    using Greeting = std::function<PList::Dictionary()>;

    ServiceLink(std::string root, std::string service, Answers answers, Greeting greeting = {});
    ~ServiceLink() = default;
    ServiceLink(const ServiceLink&) = delete;
    ServiceLink& operator=(const ServiceLink&) = delete;

    // The number of the live connection (1 for the first made, 2 for the next...), connecting
    // (and greeting) when there is none; 0 when the service cannot be reached. What was learnt
    // from the service holds only while this number stays.
    uint64_t liveConnection();
    // One-way: false when the service could not be reached even after reconnecting.
    bool send(const PList::Dictionary& message);
    // Request and its reply; null when none came in time.
    std::unique_ptr<PList::Dictionary> request(const PList::Dictionary& message, int timeoutMs);

    template <wire::Message M>
    bool send(const M& message) {
        return send(wire::encode(message));
    }
    template <wire::Message Reply, wire::Message M>
    std::optional<Reply> request(const M& message, int timeoutMs) {
        auto reply = request(wire::encode(message), timeoutMs);
        if (!reply) return std::nullopt;
        return wire::decode<Reply>(*reply);
    }

  private:
    bool connectedLocked() const;
    bool connectLocked();
    void dropLocked();
    void readAnswersLocked();
    bool sendLocked(const PList::Dictionary& message);

    std::string root_;
    std::string service_;
    Answers answers_;
    Greeting greeting_;
    std::mutex mutex_;
    base::ScopedFd fd_;
    pid_t owner_ = 0;
    uint64_t connection_ = 0;  // the number of the live connection
    uint64_t made_ = 0;        // connections made so far
    size_t unanswered_ = 0;    // one-way messages whose answers have not been read
};

}  // namespace platform::device
