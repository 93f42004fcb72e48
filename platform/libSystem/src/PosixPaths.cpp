// The system's code names device paths literally ("/System/Library/...", "/bin/launchctl").
// On the simulated device those live under the device's root folder, so the two POSIX calls
// that take device paths, dlopen and popen, are interposed here: a path (or, in a shell command
// line, a word) that exists under the device root is resolved there before the real call runs.
// Paths of the host (libraries, plug-ins) do not exist under the root and pass unchanged; a
// path that climbs with ".." (or is spelled with "." or "//") is the device's, and resolves
// under the root whether it is there or not: it never reaches a host file.
// A command started through popen is a process of the device too: it gets the device's root
// in its environment, whatever the caller left in environ. A plain command is started without
// the shell (PlainCommand.h).
#include <backend/Backend.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "PlainCommand.h"

namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string resolveExisting(const std::string& path) {
    const std::string resolved = platform::hostPath(path);
    if (resolved == path) return path;  // relative, or a host path inside the root already
    if (resolved != platform::activeDeviceRoot() + path) return resolved;  // not spelled plainly
    return exists(resolved) ? resolved : path;
}

std::string resolveCommandLine(const std::string& command) {
    std::string out;
    std::string word;
    auto flush = [&] {
        out += !word.empty() && word.front() == '/' ? resolveExisting(word) : word;
        word.clear();
    };
    for (char c : command) {
        if (c == ' ' || c == '\t') {
            flush();
            out += c;
        } else {
            word += c;
        }
    }
    flush();
    return out;
}

template <class F>
F realFunction(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// While it lives, environ is the caller's with the device's root entry put in (in place of any
// other value of it). popen starts its child from environ, so the child finds the device.
class DeviceRootInEnvironment {
  public:
    explicit DeviceRootInEnvironment(const std::string& root)
        : saved_(environ), entry_(std::string(platform::deviceRootVariable()) + "=" + root) {
        const std::string prefix = std::string(platform::deviceRootVariable()) + "=";
        for (char** e = environ; e && *e; ++e)
            if (std::strncmp(*e, prefix.c_str(), prefix.size()) != 0) pointers_.push_back(*e);
        pointers_.push_back(entry_.data());
        pointers_.push_back(nullptr);
        environ = pointers_.data();
    }
    ~DeviceRootInEnvironment() { environ = saved_; }
    DeviceRootInEnvironment(const DeviceRootInEnvironment&) = delete;
    DeviceRootInEnvironment& operator=(const DeviceRootInEnvironment&) = delete;

  private:
    char** saved_;
    std::string entry_;
    std::vector<char*> pointers_;
};

}  // namespace

namespace platform {
std::string resolveDeviceCommandLine(const std::string& command) {
    return activeDeviceRoot().empty() ? command : resolveCommandLine(command);
}
}  // namespace platform

extern "C" void* dlopen(const char* file, int mode) noexcept {
    using Dlopen = void* (*)(const char*, int);
    static const Dlopen real = realFunction<Dlopen>("dlopen");
    if (!file || file[0] != '/' || platform::activeDeviceRoot().empty()) return real(file, mode);
    const std::string resolved = resolveExisting(file);
    return real(resolved.c_str(), mode);
}

extern "C" FILE* popen(const char* command, const char* modes) {
    using Popen = FILE* (*)(const char*, const char*);
    static const Popen real = realFunction<Popen>("popen");
    const std::string root = platform::activeDeviceRoot();
    if (!command || root.empty()) return real(command, modes);
    const std::string resolved = platform::resolveDeviceCommandLine(command);
    const DeviceRootInEnvironment childEnvironment(root);
    if (FILE* started = libsystem::openPlainCommand(resolved, modes)) return started;
    return real(resolved.c_str(), modes);
}

extern "C" int pclose(FILE* stream) {
    using Pclose = int (*)(FILE*);
    static const Pclose real = realFunction<Pclose>("pclose");
    if (const auto status = libsystem::closePlainCommand(stream)) return *status;
    return real(stream);
}
