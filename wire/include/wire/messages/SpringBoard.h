// SpringBoard's requests: the status bar's routes, the centre of distributed messages, local
// notifications, alerts and URLs. Unless said otherwise the reply is a Reply: accepted, or
// refused with the reason.
#pragma once

#include <wire/Message.h>
#include <wire/messages/Replies.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace wire {

// Shows or hides a status-bar item by the UIApplication or the SpringBoardServices route.
struct StatusBarRequest {
    static constexpr std::string_view kOp = "statusbar";
    std::string route;  // "UIApplication", "SpringBoardServices"
    std::optional<bool> show;
    std::string item;
    std::optional<int64_t> port;  // SpringBoardServices: the server port the caller names
    std::optional<int64_t> flags;
    std::optional<int64_t> pid;

    template <class Self, class Visit>
    static void fields(Self& m, Visit&& visit) {
        visit("route", m.route);
        visit("show", m.show);
        visit("item", m.item);
        visit("port", m.port);
        visit("flags", m.flags);
        visit("pid", m.pid);
    }
};

// A message to a named centre (CPDistributedMessagingCenter), e.g. libstatusbar's.
struct CenterMessage {
    static constexpr std::string_view kOp = "center";
    std::string center;
    std::string message;
    std::unique_ptr<PList::Dictionary> userInfo;
    std::optional<int64_t> pid;

    template <class Self, class Visit>
    static void fields(Self& m, Visit&& visit) {
        visit("center", m.center);
        visit("message", m.message);
        visit("userInfo", m.userInfo);
        visit("pid", m.pid);
    }
};

// SBSSpringBoardServerPort. Reply: PortReply.
struct ServerPortRequest : NoFields {
    static constexpr std::string_view kOp = "sbs-port";
};

struct PortReply {
    bool ok = false;
    int64_t port = 0;

    template <class Self, class Visit>
    static void fields(Self& m, Visit&& visit) {
        visit("ok", m.ok);
        visit("port", m.port);
    }
};

// UIApplication's scheduleLocalNotification:.
struct ScheduleNotification {
    static constexpr std::string_view kOp = "schedule-notification";
    std::string app;
    std::optional<double> fireDate;  // device seconds since 1970
    Given<int64_t> repeatInterval;   // NSCalendarUnit: 0 or NSMinuteCalendarUnit
    std::optional<std::string> body;
    std::optional<std::string> launchImage;
    std::optional<int64_t> pid;

    template <class Self, class Visit>
    static void fields(Self& m, Visit&& visit) {
        visit("app", m.app);
        visit("fireDate", m.fireDate);
        visit("repeatInterval", m.repeatInterval);
        visit("body", m.body);
        visit("launchImage", m.launchImage);
        visit("pid", m.pid);
    }
};

// A notification booked from outside (simctl notify), due in some device seconds.
struct NotifyRequest {
    static constexpr std::string_view kOp = "notify";
    std::string app;
    std::optional<double> fireIn;
    Given<std::string> repeat;  // "minute"
    std::optional<std::string> body;
    std::optional<std::string> launchImage;

    template <class Self, class Visit>
    static void fields(Self& m, Visit&& visit) {
        visit("app", m.app);
        visit("fireIn", m.fireIn);
        visit("repeat", m.repeat);
        visit("body", m.body);
        visit("launchImage", m.launchImage);
    }
};

// cancelAllLocalNotifications. Reply: CancelledReply.
struct CancelNotifications {
    static constexpr std::string_view kOp = "cancel-notifications";
    std::string app;
    std::optional<int64_t> pid;

    template <class Self, class Visit>
    static void fields(Self& m, Visit&& visit) {
        visit("app", m.app);
        visit("pid", m.pid);
    }
};

struct CancelledReply {
    bool ok = false;
    int64_t cancelled = 0;

    template <class Self, class Visit>
    static void fields(Self& m, Visit&& visit) {
        visit("ok", m.ok);
        visit("cancelled", m.cancelled);
    }
};

// The booked notifications. Reply: NotificationsReply.
struct ListNotifications : NoFields {
    static constexpr std::string_view kOp = "notifications";
};

struct NotificationsReply {
    bool ok = false;
    // As LocalNotifications.plist keeps them: [{app, fireDate: date, repeat, body, launchImage}].
    std::unique_ptr<PList::Array> notifications;

    template <class Self, class Visit>
    static void fields(Self& m, Visit&& visit) {
        visit("ok", m.ok);
        visit("notifications", m.notifications);
    }
};

// An alert from outside (simctl alert): a notification's alert, or with `plain` a system one.
struct AlertRequest {
    static constexpr std::string_view kOp = "alert";
    std::optional<std::string> body;
    std::optional<std::string> launchImage;
    bool plain = false;

    template <class Self, class Visit>
    static void fields(Self& m, Visit&& visit) {
        visit("body", m.body);
        visit("launchImage", m.launchImage);
        visit("plain", m.plain);
    }
};

// UIApplication's openURL:.
struct OpenUrlRequest {
    static constexpr std::string_view kOp = "open-url";
    std::string url;

    template <class Self, class Visit>
    static void fields(Self& m, Visit&& visit) {
        visit("url", m.url);
    }
};

}  // namespace wire
