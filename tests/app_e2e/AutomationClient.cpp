#include "AutomationClient.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace apptest {

AutomationClient::~AutomationClient() { disconnect(); }

void AutomationClient::disconnect() {
    socket_.reset();
    pending_.clear();
}

bool AutomationClient::tryConnect(const std::string& path) {
    disconnect();
    socket_ = base::LocalSocket::connectTo(path);
    return socket_.valid();
}

std::string AutomationClient::command(const std::string& line, double hostSeconds) {
    if (!socket_) return "error no reply: not connected";
    if (!socket_.writeAll(line + "\n")) {
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
        pollfd wanted{socket_.get(), POLLIN, 0};
        const int ready =
            poll(&wanted, 1, static_cast<int>(std::min<long long>(left.count(), 500)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        char buffer[65536];
        const ssize_t n = read(socket_.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            disconnect();
            return "error no reply: the app closed the connection";
        }
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

}  // namespace apptest
