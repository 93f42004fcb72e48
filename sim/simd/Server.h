// simd's socket: the listening descriptor and every connection of a device process, served
// by a table of handlers (op -> handler). Replies and pushes go out blocking, with a time
// limit; a connection that cannot take one is closed on the loop's next turn, so a handler
// never sees a connection vanish under it.
#pragma once

#include <base/ScopedFd.h>
#include <sys/types.h>
#include <wire/HandlerTable.h>
#include <wire/Message.h>
#include <wire/Wire.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "EventWriter.h"

namespace simd {

using ConnectionId = uint64_t;
class Server;

// Who sent a request, and the way back to it; handlers that answer later keep a copy.
class Caller {
  public:
    Caller(Server& server, ConnectionId connection, pid_t pid)
        : server_(&server), connection_(connection), pid_(pid) {}
    ConnectionId connection() const { return connection_; }
    // The peer's pid, as the kernel tells it.
    pid_t pid() const { return pid_; }
    // The pid a request names, or else the peer's.
    pid_t pidOr(std::optional<int64_t> given) const {
        return given ? static_cast<pid_t>(*given) : pid_;
    }
    template <wire::Message M>
    void reply(const M& message) const;
    void refuse(const std::string& error) const;

  private:
    Server* server_;
    ConnectionId connection_;
    pid_t pid_;
};

class Server {
  public:
    using Handlers = wire::HandlerTable<void(const Caller&)>;

    // Serves the connections accepted on `listening`; `log` hears of requests it cannot serve.
    Server(base::ScopedFd listening, EventWriter& log);
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // `handler(caller, message)` serves M's op.
    template <wire::Request M, class F>
    Server& on(F handler) {
        handlers_.on<M>(std::move(handler));
        return *this;
    }
    // A service's method serves M's op.
    template <wire::Request M, class Service>
    Server& on(Service& service, void (Service::*method)(const Caller&, const M&)) {
        return on<M>([&service, method](const Caller& caller, const M& message) {
            (service.*method)(caller, message);
        });
    }
    // Runs for every connection that closes (the power manager's clients go with theirs).
    void onClose(std::function<void(ConnectionId)> closed) {
        onClose_.push_back(std::move(closed));
    }

    // A reply or a push; nothing when the connection has gone.
    template <wire::Message M>
    void send(ConnectionId id, const M& message) {
        sendEncoded(id, wire::encode(message));
    }

    // The loop's part: what to poll, and what to do when it is ready.
    int listeningFd() const { return listening_.get(); }
    std::vector<std::pair<ConnectionId, int>> connectionFds() const;
    void accept();
    void serve(ConnectionId id);
    bool connected(ConnectionId id) const { return connections_.count(id) != 0; }
    // Closes the connections that could not take a message.
    void closeDropped();
    // No more connections: the device is shutting down.
    void stopListening() { listening_.reset(); }

  private:
    struct Connection {
        base::ScopedFd fd;
        wire::FrameReader reader;
        pid_t peerPid = 0;
    };

    void handle(ConnectionId id, const PList::Dictionary& message);
    void sendEncoded(ConnectionId id, const PList::Dictionary& message);
    void closeConnection(ConnectionId id);

    base::ScopedFd listening_;
    EventWriter& log_;
    Handlers handlers_;
    std::vector<std::function<void(ConnectionId)>> onClose_;
    ConnectionId nextConnection_ = 1;
    std::map<ConnectionId, Connection> connections_;
    std::set<ConnectionId> dropped_;
};

template <wire::Message M>
void Caller::reply(const M& message) const {
    server_->send(connection_, message);
}

}  // namespace simd
