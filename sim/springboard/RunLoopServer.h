// SpringBoard's socket: the listening descriptor and every client connection are sources of
// the run loop, so requests are served on SpringBoard's one thread, between its timers.
// A client that sends half a message never holds the others up.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <base/ScopedFd.h>
#include <plist/plist++.h>
#include <wire/Wire.h>

#include <functional>
#include <map>
#include <memory>

namespace springboard {

class RunLoopServer {
  public:
    using Handler = std::function<PList::Dictionary(const PList::Dictionary&)>;

    // Serves each request that comes on `listening` with `handler`.
    RunLoopServer(base::ScopedFd listening, Handler handler);
    ~RunLoopServer();
    RunLoopServer(const RunLoopServer&) = delete;
    RunLoopServer& operator=(const RunLoopServer&) = delete;

    void attach(CFRunLoopRef runLoop);
    size_t connectionCount() const { return connections_.size(); }

  private:
    struct Connection {
        RunLoopServer* server;
        base::ScopedFd fd;
        wire::FrameReader reader;
        CFFileDescriptorRef descriptor;
    };

    static void listenerReady(CFFileDescriptorRef, CFOptionFlags, void* info);
    static void connectionReady(CFFileDescriptorRef, CFOptionFlags, void* info);
    void acceptClients();
    void serve(Connection& connection);
    void drop(Connection& connection);

    base::ScopedFd listening_;
    Handler handler_;
    CFRunLoopRef runLoop_ = nullptr;
    CFFileDescriptorRef listener_ = nullptr;
    std::map<int, std::unique_ptr<Connection>> connections_;
};

}  // namespace springboard
