#include "Server.h"

#include <sys/socket.h>
#include <wire/events/Simd.h>
#include <wire/messages/Replies.h>

#include <exception>

namespace simd {

void Caller::refuse(const std::string& error) const {
    server_->send(connection_, wire::Reply::refused(error));
}

Server::Server(base::ScopedFd listening, EventWriter& log)
    : listening_(std::move(listening)), log_(log) {}

std::vector<std::pair<ConnectionId, int>> Server::connectionFds() const {
    std::vector<std::pair<ConnectionId, int>> fds;
    for (const auto& [id, connection] : connections_) fds.emplace_back(id, connection.fd.get());
    return fds;
}

void Server::accept() {
    base::ScopedFd fd(accept4(listening_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!fd) return;
    // Replies are sent blocking, but a peer that stops reading must not freeze the device.
    timeval sendTimeout{2, 0};
    setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    Connection connection;
    connection.peerPid = base::peerPid(fd).value_or(0);
    connection.fd = std::move(fd);
    connections_.emplace(nextConnection_++, std::move(connection));
}

void Server::serve(ConnectionId id) {
    auto it = connections_.find(id);
    if (it == connections_.end()) return;
    const wire::FrameReader::Status status = it->second.reader.readFrom(it->second.fd.get());
    for (;;) {
        it = connections_.find(id);
        if (it == connections_.end()) return;
        std::unique_ptr<PList::Dictionary> message = it->second.reader.next();
        if (!message) break;
        try {
            handle(id, *message);
        } catch (const std::exception& e) {
            // A request this code did not foresee must not take the device down.
            log_.write(wire::events::InternalError{wire::opOf(*message), e.what()});
            sendEncoded(
                id, wire::encode(wire::Reply::refused(std::string("internal error: ") + e.what())));
        }
    }
    it = connections_.find(id);
    if (it == connections_.end()) return;
    if (it->second.reader.broken()) {
        log_.write(wire::events::BadMessage{it->second.peerPid});
        closeConnection(id);
    } else if (status != wire::FrameReader::Status::Open) {
        closeConnection(id);
    }
}

void Server::handle(ConnectionId id, const PList::Dictionary& message) {
    const pid_t peer = connections_.at(id).peerPid;
    const std::string op = wire::opOf(message);
    if (const Handlers::Handler* handler = handlers_.find(op)) {
        (*handler)(Caller(*this, id, peer), message);
        return;
    }
    log_.write(wire::events::UnknownRequest{op, peer});
    sendEncoded(id, wire::encode(wire::Reply::refused("unknown request \"" + op + "\"")));
}

void Server::sendEncoded(ConnectionId id, const PList::Dictionary& message) {
    auto it = connections_.find(id);
    if (it == connections_.end()) return;
    if (!wire::sendMessage(it->second.fd.get(), message)) dropped_.insert(id);
}

void Server::closeConnection(ConnectionId id) {
    auto it = connections_.find(id);
    if (it == connections_.end()) return;
    connections_.erase(it);
    for (const auto& closed : onClose_) closed(id);
}

void Server::closeDropped() {
    const std::set<ConnectionId> dropped = std::move(dropped_);
    dropped_.clear();
    for (ConnectionId id : dropped) closeConnection(id);
}

}  // namespace simd
