// SpringBoard's requests, one property-list dictionary each, answered with {ok: true, ...} or
// {ok: false, error}. A request that is not understood changes nothing and is logged.
#pragma once

#include <SpringBoardServices/SpringBoardServices.h>
#include <plist/plist++.h>

#include <functional>
#include <memory>
#include <string>

#include "AlertItem.h"
#include "EventSink.h"
#include "LibStatusBarCenter.h"
#include "NotificationScheduler.h"
#include "StatusBar.h"

class RequestHandler {
  public:
    struct Parts {
        StatusBar& statusBar;
        LibStatusBarCenter& center;
        NotificationScheduler& notifications;
        std::function<void(std::unique_ptr<AlertItem>)> present;
        std::function<void()> notificationsChanged;
        mach_port_t serverPort;  // what SpringBoardServices callers must name
        EventSink& events;
    };

    explicit RequestHandler(Parts parts) : parts_(std::move(parts)) {}

    PList::Dictionary handle(const PList::Dictionary& request);

  private:
    using Reply = PList::Dictionary;
    Reply statusBar(const PList::Dictionary& request);
    Reply center(const PList::Dictionary& request);
    Reply serverPort(const PList::Dictionary& request);
    Reply scheduleNotification(const PList::Dictionary& request);
    Reply notify(const PList::Dictionary& request);
    Reply cancelNotifications(const PList::Dictionary& request);
    Reply listNotifications(const PList::Dictionary& request);
    Reply alert(const PList::Dictionary& request);
    Reply openURL(const PList::Dictionary& request);
    Reply book(LocalNotification notification);

    Parts parts_;
};
