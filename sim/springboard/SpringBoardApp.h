// SpringBoard put together: the status bar with its three routes, the booked local
// notifications and their timer, the alerts controller that every alert goes through, and the
// low-battery warning.
#pragma once

#include <Foundation/Foundation.h>
#include <SpringBoardServices/SpringBoardServices.h>

#include <memory>
#include <string>

#include "AlertsController.h"
#include "EventSink.h"
#include "LibStatusBarCenter.h"
#include "LowBatteryWarning.h"
#include "NotificationScheduler.h"
#include "RequestHandler.h"
#include "StatusBar.h"

namespace springboard {

class SpringBoardApp {
  public:
    struct Files {  // host paths
        std::string statusBar;
        std::string notifications;
        std::string alerts;
        std::string wakeList;  // the system's wake-request list
    };
    // The files of the device at `hostRoot`.
    static Files filesOfDevice(const std::string& hostRoot);

    SpringBoardApp(const Files& files, EventSink& events, mach_port_t serverPort);
    ~SpringBoardApp();
    SpringBoardApp(const SpringBoardApp&) = delete;
    SpringBoardApp& operator=(const SpringBoardApp&) = delete;

    // Loads the extensions meant for `bundleIdentifier` (they see the alerts controller
    // already), then the booked notifications, and fires those that came due meanwhile; then
    // watches the battery.
    void start(const std::string& bundleIdentifier);

    PList::Dictionary handle(const PList::Dictionary& request) { return handler_.handle(request); }
    // Puts an alert on the screen the way SpringBoard does: activateAlertItem: to the
    // alerts controller.
    void present(std::unique_ptr<AlertItem> item);

    StatusBar& statusBar() { return statusBar_; }
    NotificationScheduler& notifications() { return notifications_; }
    mach_port_t serverPort() const { return serverPort_; }

  private:
    void rearmNotificationTimer();

    mach_port_t serverPort_;
    StatusBar statusBar_;
    LibStatusBarCenter center_;
    AlertsController controller_;
    NotificationScheduler notifications_;
    RequestHandler handler_;
    LowBatteryWarning lowBattery_;
    NSTimer* notificationTimer_ = nullptr;  // owned by the run loop
};

}  // namespace springboard
