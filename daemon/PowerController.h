// Subscribes to the system's power messages and answers them for its delegate.
#pragma once

#include <IOKit/pwr_mgt/IOPMLib.h>

#include <atomic>

#include "PowerControllerDelegate.h"

class PowerController {
  public:
    // Stores the delegate without owning it; does not subscribe yet.
    explicit PowerController(PowerControllerDelegate* delegate);
    ~PowerController();
    PowerController(const PowerController&) = delete;
    PowerController& operator=(const PowerController&) = delete;

    PowerControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(PowerControllerDelegate* delegate) { delegate_ = delegate; }

    void registerForPowerNotifications();
    void unregisterForPowerNotifications();
    void powerMessageReceivedWithArgument(natural_t messageType, void* messageArgument);

    io_connect_t rootPort() const { return root_port; }

  private:
    void answer(BOOL maySleep, void* messageArgument);

    std::atomic<PowerControllerDelegate*> delegate_;
    io_connect_t root_port = 0;
    io_object_t notifier = 0;
    IONotificationPortRef notificationPort = nullptr;
    CFRunLoopRef registeredRunLoop = nullptr;
};

// The IOKit interest callback; refcon is the subscribing PowerController.
void powerCallback(void* refcon, io_service_t service, natural_t messageType,
                   void* messageArgument);
