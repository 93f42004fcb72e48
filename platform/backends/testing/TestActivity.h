// The test backend's activity service: each call is a record.
#pragma once

#include <backend/ActivityService.h>

#include "CallLog.h"

namespace platform::testing {

class TestActivity : public ActivityService {
  public:
    explicit TestActivity(CallLog& log) : log_(log) {}
    void userActivity() override;

  private:
    CallLog& log_;
};

}  // namespace platform::testing
