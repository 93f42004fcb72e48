// An owned file descriptor: closed when its owner goes, moved but never copied.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <optional>
#include <utility>

namespace base {

class ScopedFd {
  public:
    ScopedFd() = default;
    explicit ScopedFd(int fd) : fd_(fd) {}
    ~ScopedFd() { reset(); }
    ScopedFd(ScopedFd&& other) noexcept : fd_(other.release()) {}
    ScopedFd& operator=(ScopedFd&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    explicit operator bool() const { return valid(); }
    // Gives the descriptor up without closing it.
    int release() { return std::exchange(fd_, -1); }
    // Closes the descriptor held (if any) and holds `fd` instead.
    void reset(int fd = -1) {
        if (fd_ >= 0 && fd_ != fd) ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_ = -1;
};

// Both ends of a pipe, close-on-exec unless `flags` says otherwise.
struct Pipe {
    ScopedFd read;
    ScopedFd write;
    static std::optional<Pipe> create(int flags = -1);
};

// The process at the other end of a connected Unix socket, as the kernel names it.
std::optional<pid_t> peerPid(const ScopedFd& socket);

}  // namespace base
