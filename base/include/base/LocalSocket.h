// A Unix stream socket that owns its descriptor: connected to a path, or listening at one and
// handing out the connections that come.
#pragma once

#include <base/ScopedFd.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

class LocalSocket : public ScopedFd {
  public:
    // The longest path a socket address holds.
    static constexpr size_t kMaxPathBytes = 107;

    LocalSocket() = default;
    explicit LocalSocket(int fd) : ScopedFd(fd) {}

    // Connected to the socket at `path`; invalid when nobody listens there or the path does not
    // fit an address. `flags` adds socket(2) type flags such as SOCK_NONBLOCK.
    static LocalSocket connectTo(const std::string& path, int flags = 0);
    // Listening at `path`, in place of a socket file left there; only its owner may connect.
    // Invalid with errno set when that fails.
    static LocalSocket listenAt(const std::string& path, int backlog, int flags = 0);

    // The next connection waiting; invalid when none is.
    LocalSocket accept() const;
    // Every byte, or false when the peer is gone. A peer that went raises no SIGPIPE.
    bool writeAll(std::string_view bytes) const;

  private:
    explicit LocalSocket(ScopedFd fd) : ScopedFd(std::move(fd)) {}
};

// The whole of `size` bytes to or from the socket `fd`, or false when the peer is gone first.
bool sendAll(int fd, const void* data, size_t size);
bool receiveAll(int fd, void* data, size_t size);

}  // namespace base
