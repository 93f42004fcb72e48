#include "RunLoopServer.h"

#include <Foundation/Foundation.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>
#include <cstring>

namespace springboard {

RunLoopServer::RunLoopServer(base::ScopedFd listening, Handler handler)
    : listening_(std::move(listening)), handler_(std::move(handler)) {
    // Accepting must never block the run loop.
    fcntl(listening_.get(), F_SETFL, fcntl(listening_.get(), F_GETFL) | O_NONBLOCK);
}

RunLoopServer::~RunLoopServer() {
    while (!connections_.empty()) drop(*connections_.begin()->second);
    if (listener_) CFRelease(listener_);
}

void RunLoopServer::attach(CFRunLoopRef runLoop) {
    runLoop_ = runLoop;
    CFFileDescriptorContext context{0, this, nullptr, nullptr, nullptr};
    listener_ = CFFileDescriptorCreate(nullptr, listening_.get(), false,
                                       &RunLoopServer::listenerReady, &context);
    CFFileDescriptorEnableCallBacks(listener_, kCFFileDescriptorReadCallBack);
    CFRunLoopAddSource(runLoop_, CFFileDescriptorCreateRunLoopSource(nullptr, listener_, 0),
                       kCFRunLoopDefaultMode);
}

void RunLoopServer::listenerReady(CFFileDescriptorRef descriptor, CFOptionFlags, void* info) {
    static_cast<RunLoopServer*>(info)->acceptClients();
    CFFileDescriptorEnableCallBacks(descriptor, kCFFileDescriptorReadCallBack);
}

void RunLoopServer::acceptClients() {
    for (;;) {
        base::ScopedFd fd(accept4(listening_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!fd) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                NSLog("SpringBoard: accepting a client failed: %s", strerror(errno));
            return;
        }
        // A client that stops reading its replies must not stall SpringBoard for long.
        const timeval sendLimit{2, 0};
        setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
        const int key = fd.get();
        auto connection =
            std::make_unique<Connection>(Connection{this, std::move(fd), {}, nullptr});
        CFFileDescriptorContext context{0, connection.get(), nullptr, nullptr, nullptr};
        connection->descriptor =
            CFFileDescriptorCreate(nullptr, key, false, &RunLoopServer::connectionReady, &context);
        CFFileDescriptorEnableCallBacks(connection->descriptor, kCFFileDescriptorReadCallBack);
        CFRunLoopAddSource(runLoop_,
                           CFFileDescriptorCreateRunLoopSource(nullptr, connection->descriptor, 0),
                           kCFRunLoopDefaultMode);
        connections_[key] = std::move(connection);
    }
}

void RunLoopServer::connectionReady(CFFileDescriptorRef, CFOptionFlags, void* info) {
    auto* connection = static_cast<Connection*>(info);
    connection->server->serve(*connection);
}

void RunLoopServer::serve(Connection& connection) {
    const auto status = connection.reader.readFrom(connection.fd.get());
    // Whole messages are served even when the client hung up right after sending them.
    bool answered = true;
    while (auto request = connection.reader.next()) {
        const PList::Dictionary reply = handler_(*request);
        answered = wire::sendMessage(connection.fd.get(), reply) && answered;
    }
    if (status != wire::FrameReader::Status::Open || connection.reader.broken() || !answered) {
        if (connection.reader.broken())
            NSLog("SpringBoard: dropped a client that sent a malformed message");
        drop(connection);
        return;
    }
    CFFileDescriptorEnableCallBacks(connection.descriptor, kCFFileDescriptorReadCallBack);
}

void RunLoopServer::drop(Connection& connection) {
    // A client's descriptor object goes with it: SpringBoard serves clients for days.
    CFRelease(connection.descriptor);
    connections_.erase(connection.fd.get());  // destroys `connection`, closing its descriptor
}

}  // namespace springboard
