#include "LineServer.h"

#include <errno.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstring>

namespace uikit {
namespace {

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

LineServer::LineServer(const std::string& path, Handler handler)
    : path_(path), handler_(std::move(handler)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error_ = "the socket path is empty or longer than " +
                 std::to_string(sizeof address.sun_path - 1) + " bytes";
        return;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    base::ScopedFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd) {
        error_ = std::strerror(errno);
        return;
    }
    unlink(path.c_str());
    const mode_t old = umask(0077);
    const bool bound = bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    umask(old);
    if (!bound || listen(fd.get(), 16) != 0) {
        error_ = std::strerror(errno);
        return;
    }
    listener_ = std::move(fd);
    acceptable_ = std::make_unique<QSocketNotifier>(listener_.get(), QSocketNotifier::Read);
    connect(acceptable_.get(), &QSocketNotifier::activated, this, [this] { acceptClients(); });
}

LineServer::~LineServer() {
    if (listener_) unlink(path_.c_str());
}

void LineServer::acceptClients() {
    for (;;) {
        base::ScopedFd fd(accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!fd) return;  // none left waiting (EAGAIN) or a failed one: the next wakes us
        clients_.push_back(Client{std::move(fd), nullptr, {}});
        Client& client = clients_.back();
        client.readable = std::make_unique<QSocketNotifier>(client.fd.get(), QSocketNotifier::Read);
        const auto where = std::prev(clients_.end());
        connect(client.readable.get(), &QSocketNotifier::activated, this, [this, where] {
            // A command may run a nested event loop (an alert's animation): the client's next
            // line waits until this one is answered.
            where->readable->setEnabled(false);
            if (serve(*where)) {
                where->readable->setEnabled(true);
                return;
            }
            // The notifier is delivering this signal, so it goes once the signal is done.
            QMetaObject::invokeMethod(
                this, [this, where] { clients_.erase(where); }, Qt::QueuedConnection);
        });
    }
}

bool LineServer::serve(Client& client) {
    char buffer[4096];
    const ssize_t n = recv(client.fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (n == 0) return false;
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    client.pending.append(buffer, static_cast<qsizetype>(n));
    for (qsizetype end; (end = client.pending.indexOf('\n')) >= 0;) {
        const QByteArray line = client.pending.left(end).trimmed();
        client.pending.remove(0, end + 1);
        const QByteArray reply = handler_(line) + '\n';
        if (!writeAll(client.fd.get(), reply.constData(), static_cast<size_t>(reply.size())))
            return false;
    }
    return true;
}

}  // namespace uikit
