#include "SimdEventLog.h"

#include <poll.h>
#include <wire/messages/Device.h>

#include <cstdio>

namespace springboard {

SimdEventLog::SimdEventLog(std::string hostRoot) : hostRoot_(std::move(hostRoot)) {}

SimdEventLog::~SimdEventLog() { disconnect(); }

bool SimdEventLog::connected() {
    if (fd_) return true;
    fd_ = wire::connectToService(hostRoot_, wire::kSimdService);
    if (!fd_ && !complainedOnce_) {
        std::fprintf(stderr, "SpringBoard: simd does not answer; events are lost until it does\n");
        complainedOnce_ = true;
    }
    if (fd_) replies_ = wire::FrameReader();
    return fd_.valid();
}

void SimdEventLog::disconnect() { fd_.reset(); }

void SimdEventLog::drainReplies() {
    pollfd p{fd_.get(), POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return;
    const auto status = replies_.readFrom(fd_.get());
    while (replies_.next()) {
    }
    if (status != wire::FrameReader::Status::Open) disconnect();
}

void SimdEventLog::event(const std::string& name, const PList::Dictionary& fields) {
    wire::LogEvent message;
    message.details.dict = std::make_unique<PList::Dictionary>(fields);
    message.source = wire::events::kSpringBoardSource;
    message.event = name;
    const PList::Dictionary encoded = wire::encode(message);
    // One retry on a fresh connection covers a simd that restarted since the last event.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!connected()) return;
        drainReplies();
        if (fd_ && wire::sendMessage(fd_.get(), encoded)) return;
        disconnect();
    }
}

}  // namespace springboard
