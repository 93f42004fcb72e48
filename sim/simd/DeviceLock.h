// One simd a root: the running simd holds a lock on its root's /var/run/sim/simd.lock for its
// whole life. It is an open file description's lock (fcntl F_OFD_SETLK): others can look at it
// without taking it, so a look never makes a boot fail, and it goes with simd's last
// descriptor of the file, that is with simd itself (its children get no copy: close-on-exec).
#pragma once

#include <base/ScopedFd.h>

#include <optional>
#include <string>

namespace simd {

// What simd tells simctl boot when another simd holds the root.
inline constexpr const char* kAlreadyBooted = "the device is already booted";

class DeviceLock {
  public:
    // The root's lock, taken; null, with `error` saying why, when another process holds it
    // (kAlreadyBooted) or the file cannot be opened.
    static std::optional<DeviceLock> take(const std::string& hostRoot, std::string* error);
    // Whether some process holds the root's lock now.
    static bool held(const std::string& hostRoot);

  private:
    explicit DeviceLock(base::ScopedFd fd) : fd_(std::move(fd)) {}
    base::ScopedFd fd_;
};

}  // namespace simd
