// SpringBoard's requests, one property-list dictionary each, answered with {ok: true, ...} or
// {ok: false, error}. A request that is not understood changes nothing and is logged.
#pragma once

#include <SpringBoardServices/SpringBoardServices.h>
#include <plist/plist++.h>
#include <wire/HandlerTable.h>
#include <wire/messages/SpringBoard.h>

#include <functional>
#include <memory>
#include <string>

#include "AlertItem.h"
#include "EventSink.h"
#include "LibStatusBarCenter.h"
#include "NotificationScheduler.h"
#include "StatusBar.h"

namespace springboard {

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

    explicit RequestHandler(Parts parts);

    PList::Dictionary handle(const PList::Dictionary& request);

  private:
    using Reply = PList::Dictionary;  // encoded
    Reply statusBar(const wire::StatusBarRequest& request);
    Reply center(const wire::CenterMessage& request);
    Reply serverPort(const wire::ServerPortRequest& request);
    Reply scheduleNotification(const wire::ScheduleNotification& request);
    Reply notify(const wire::NotifyRequest& request);
    Reply cancelNotifications(const wire::CancelNotifications& request);
    Reply listNotifications(const wire::ListNotifications& request);
    Reply alert(const wire::AlertRequest& request);
    Reply openURL(const wire::OpenUrlRequest& request);
    Reply book(LocalNotification notification);

    Parts parts_;
    wire::HandlerTable<Reply()> handlers_;
};

}  // namespace springboard
