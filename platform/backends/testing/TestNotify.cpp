#include "TestNotify.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform::testing {

NotifyService::Registration TestNotify::registerFor(const std::string& name) {
    log_.add(NotifyRegistration{name});
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return {};
    const uint64_t token = nextToken_++;
    Entry& entry = entries_[token];
    entry.name = name;
    entry.readFd.reset(fds[0]);
    entry.writeFd.reset(fds[1]);
    return {token, fds[0]};
}

size_t TestNotify::deliver(const std::string& name) {
    size_t reached = 0;
    const char byte = 1;
    for (auto& [token, entry] : entries_)
        if (entry.name == name && ::write(entry.writeFd.get(), &byte, 1) == 1) ++reached;
    return reached;
}

unsigned TestNotify::takePosts(uint64_t token) {
    auto it = entries_.find(token);
    if (it == entries_.end()) return 0;
    unsigned posts = 0;
    char buffer[64];
    ssize_t n = 0;
    while ((n = ::read(it->second.readFd.get(), buffer, sizeof buffer)) > 0)
        posts += static_cast<unsigned>(n);
    return posts;
}

void TestNotify::cancel(uint64_t token) {
    auto it = entries_.find(token);
    if (it == entries_.end()) return;
    log_.add(NotifyCancellation{it->second.name});
    entries_.erase(it);
}

bool TestNotify::post(const std::string& name) {
    log_.add(NotifyPost{name});
    deliver(name);
    return true;
}

std::vector<std::string> TestNotify::registeredNames() const {
    std::vector<std::string> names;
    for (const auto& [token, entry] : entries_) names.push_back(entry.name);
    return names;
}

}  // namespace platform::testing
