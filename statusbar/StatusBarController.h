// Shows and hides the status-bar image by the route the running system offers: the
// application object on iPhone OS 2, SpringBoardServices on iPhone OS 3, libstatusbar after.
#pragma once

#include <Foundation/Foundation.h>
#include <SpringBoardServices/SpringBoardServices.h>

#include <mutex>

class StatusBarController {
  public:
    // Created on the first call, never destroyed.
    static StatusBarController* sharedStatusBarController();
    // The creation guard: a new instance while none exists, null afterwards.
    static StatusBarController* allocWithZone(void* zone);

    NSString iconName() const;
    void setIconName(const NSString& name);

    // Shows the image, then (re)installs the termination handler.
    void addIcon();
    void removeIcon();

    // SpringBoard's port as the last addIcon on the iPhone OS 3 route obtained it.
    static mach_port_t springBoardPort();

    StatusBarController(const StatusBarController&) = delete;
    StatusBarController& operator=(const StatusBarController&) = delete;

  private:
    StatusBarController() = default;
    ~StatusBarController() = default;
    void installTerminationHandler();

    mutable std::mutex iconNameLock_;
    NSString iconName_;
};

// The termination handler for SIGTERM and SIGINT. Only async-signal-safe work happens here:
// the signal is passed to the run loop, which hides the image and exits with status 0.
void removeIcon(int signal);
