#include "SimdEventLog.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>

SimdEventLog::SimdEventLog(std::string hostRoot) : hostRoot_(std::move(hostRoot)) {}

SimdEventLog::~SimdEventLog() { disconnect(); }

bool SimdEventLog::connected() {
    if (fd_ >= 0) return true;
    fd_ = wire::connectToService(hostRoot_, "simd");
    if (fd_ < 0 && !complainedOnce_) {
        std::fprintf(stderr, "SpringBoard: simd does not answer; events are lost until it does\n");
        complainedOnce_ = true;
    }
    if (fd_ >= 0) replies_ = wire::FrameReader();
    return fd_ >= 0;
}

void SimdEventLog::disconnect() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

void SimdEventLog::drainReplies() {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return;
    const auto status = replies_.readFrom(fd_);
    while (replies_.next()) {
    }
    if (status != wire::FrameReader::Status::Open) disconnect();
}

void SimdEventLog::event(const std::string& name, const PList::Dictionary& fields) {
    PList::Dictionary message(fields);
    message.Set("op", PList::String("log"));
    message.Set("source", PList::String("SpringBoard"));
    message.Set("event", PList::String(name));
    // One retry on a fresh connection covers a simd that restarted since the last event.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!connected()) return;
        drainReplies();
        if (fd_ >= 0 && wire::sendMessage(fd_, message)) return;
        disconnect();
    }
}
