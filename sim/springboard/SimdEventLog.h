// Sends SpringBoard's events to simd, which stamps them with the device time and writes the
// event log. One connection, kept open; replies are drained without waiting for them.
#pragma once

#include <base/ScopedFd.h>
#include <wire/Wire.h>

#include <string>

#include "EventSink.h"

namespace springboard {

class SimdEventLog : public EventSink {
  public:
    explicit SimdEventLog(std::string hostRoot);
    ~SimdEventLog() override;
    SimdEventLog(const SimdEventLog&) = delete;
    SimdEventLog& operator=(const SimdEventLog&) = delete;

    void event(const std::string& name, const PList::Dictionary& fields) override;

  private:
    bool connected();
    void disconnect();
    void drainReplies();

    std::string hostRoot_;
    base::ScopedFd fd_;
    wire::FrameReader replies_;
    bool complainedOnce_ = false;
};

}  // namespace springboard
