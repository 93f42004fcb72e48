// The activity service: the user's touches (and keys) on the screen, each of which starts the
// device's idle time afresh, as a finger on a real phone's screen does.
#pragma once

namespace platform {

class ActivityService {
  public:
    virtual ~ActivityService() = default;
    // The user is using the device now. Callers send it at their own pace (the user-interface
    // layer at most once a second), not once per input event.
    virtual void userActivity() = 0;
};

}  // namespace platform
