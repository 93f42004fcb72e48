// A Unix stream socket at a path that answers each line it reads with one line, on Qt's event
// loop. It is a plain socket rather than QtNetwork's local server: the network module and the
// eight libraries it pulls in would be loaded by every start of the app for a socket that only
// automation uses.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "base/LocalSocket.h"

namespace uikit {

class LineServer : public QObject {
  public:
    // Takes one line without its line end and returns the reply without one.
    using Handler = std::function<QByteArray(const QByteArray&)>;
    // Listens at `path`, readable and writable by this user only, replacing a socket left
    // there. On failure `listening()` is false and `error()` says why.
    LineServer(const std::string& path, Handler handler);
    ~LineServer() override;  // the path is removed
    LineServer(const LineServer&) = delete;
    LineServer& operator=(const LineServer&) = delete;

    bool listening() const { return listener_.valid(); }
    const std::string& error() const { return error_; }

  private:
    struct Client {
        base::LocalSocket fd;
        std::unique_ptr<QSocketNotifier> readable;
        QByteArray pending;
    };
    void acceptClients();
    // False once the client hung up or its socket failed.
    bool serve(Client& client);

    std::string path_;
    Handler handler_;
    std::string error_;
    base::LocalSocket listener_;
    std::unique_ptr<QSocketNotifier> acceptable_;
    std::list<Client> clients_;
};

}  // namespace uikit
