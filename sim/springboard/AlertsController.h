// SpringBoard's alerts controller, the one instance of the runtime class
// "SBAlertItemsController". SpringBoard puts every alert item on the screen by sending it
// activateAlertItem:, so an extension that replaces that method sees every alert. SpringBoard's
// own implementation shows the alert: it is appended to Alerts.plist and logged.
#pragma once

#include <objc/objc.h>

#include <functional>
#include <string>

#include "AlertItem.h"
#include "EventSink.h"

namespace springboard {

class AlertsController : public objc_object {
  public:
    AlertsController(std::string alertsFileHostPath, EventSink& events);

    // Sends activateAlertItem: to this controller, as SpringBoard does for each new alert.
    void activateAlertItem(AlertItem& item);
    // Runs after each alert that reached the screen (not one an extension dropped).
    void onShown(std::function<void()> shown) { shown_ = std::move(shown); }

    // Registers the class and its activateAlertItem:; done before any extension loads.
    static Class controllerClass();

  private:
    friend void showAlertItem(id self, SEL, id item);
    void show(const AlertItem& item);

    std::string alertsFile_;
    EventSink& events_;
    std::function<void()> shown_;
};

}  // namespace springboard
