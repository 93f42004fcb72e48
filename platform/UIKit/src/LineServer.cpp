#include "LineServer.h"

#include <errno.h>
#include <sys/socket.h>

#include <cstring>

namespace uikit {

LineServer::LineServer(const std::string& path, Handler handler)
    : path_(path), handler_(std::move(handler)) {
    if (path.empty() || path.size() > base::LocalSocket::kMaxPathBytes) {
        error_ = "the socket path is empty or longer than " +
                 std::to_string(base::LocalSocket::kMaxPathBytes) + " bytes";
        return;
    }
    listener_ = base::LocalSocket::listenAt(path, 16, SOCK_NONBLOCK);
    if (!listener_) {
        error_ = std::strerror(errno);
        return;
    }
    acceptable_ = std::make_unique<QSocketNotifier>(listener_.get(), QSocketNotifier::Read);
    connect(acceptable_.get(), &QSocketNotifier::activated, this, [this] { acceptClients(); });
}

LineServer::~LineServer() {
    if (listener_) unlink(path_.c_str());
}

void LineServer::acceptClients() {
    for (;;) {
        base::LocalSocket fd = listener_.accept();
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
        if (!client.fd.writeAll(std::string_view(reply.constData(), reply.size()))) return false;
    }
    return true;
}

}  // namespace uikit
