#include "AutomationClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace apptest {

AutomationClient::~AutomationClient() { disconnect(); }

void AutomationClient::disconnect() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    pending_.clear();
}

bool AutomationClient::tryConnect(const std::string& path) {
    disconnect();
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool AutomationClient::sendAll(const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

std::string AutomationClient::command(const std::string& line, double hostSeconds) {
    if (fd_ < 0) return "error no reply: not connected";
    if (!sendAll(line + "\n")) {
        disconnect();
        return "error no reply: the connection is gone";
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(hostSeconds));
    while (true) {
        if (const size_t end = pending_.find('\n'); end != std::string::npos) {
            std::string reply = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return reply;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            // A late reply would be taken for the next command's: start afresh.
            disconnect();
            return "error no reply: timed out after \"" + line + "\"";
        }
        pollfd wanted{fd_, POLLIN, 0};
        const int ready =
            poll(&wanted, 1, static_cast<int>(std::min<long long>(left.count(), 500)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        char buffer[65536];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            disconnect();
            return "error no reply: the app closed the connection";
        }
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

}  // namespace apptest
