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
    WIRE_FIELDS((std::string, route),  // "UIApplication", "SpringBoardServices"
                (std::optional<bool>, show), (std::string, item),
                (std::optional<int64_t>,
                 port),  // SpringBoardServices: the server port the caller names
                (std::optional<int64_t>, flags), (std::optional<int64_t>, pid))
};

// A message to a named centre (CPDistributedMessagingCenter), e.g. libstatusbar's.
struct CenterMessage {
    static constexpr std::string_view kOp = "center";
    WIRE_FIELDS((std::string, center), (std::string, message),
                (std::unique_ptr<PList::Dictionary>, userInfo), (std::optional<int64_t>, pid))
};

// SBSSpringBoardServerPort. Reply: PortReply.
struct ServerPortRequest : NoFields {
    static constexpr std::string_view kOp = "sbs-port";
};

struct PortReply {
    WIRE_FIELDS((bool, ok, false), (int64_t, port, 0))
};

// UIApplication's scheduleLocalNotification:.
struct ScheduleNotification {
    static constexpr std::string_view kOp = "schedule-notification";
    WIRE_FIELDS((std::string, app), (std::optional<double>, fireDate),  // device seconds since 1970
                (Given<int64_t>, repeatInterval),  // NSCalendarUnit: 0 or NSMinuteCalendarUnit
                (std::optional<std::string>, body), (std::optional<std::string>, launchImage),
                (std::optional<int64_t>, pid))
};

// A notification booked from outside (simctl notify), due in some device seconds.
struct NotifyRequest {
    static constexpr std::string_view kOp = "notify";
    WIRE_FIELDS((std::string, app), (std::optional<double>, fireIn),
                (Given<std::string>, repeat),  // "minute"
                (std::optional<std::string>, body), (std::optional<std::string>, launchImage))
};

// cancelAllLocalNotifications. Reply: CancelledReply.
struct CancelNotifications {
    static constexpr std::string_view kOp = "cancel-notifications";
    WIRE_FIELDS((std::string, app), (std::optional<int64_t>, pid))
};

struct CancelledReply {
    WIRE_FIELDS((bool, ok, false), (int64_t, cancelled, 0))
};

// The booked notifications. Reply: NotificationsReply.
struct ListNotifications : NoFields {
    static constexpr std::string_view kOp = "notifications";
};

struct NotificationsReply {
    WIRE_FIELDS((bool, ok, false),
                // As LocalNotifications.plist keeps them: [{app, fireDate: date, repeat, body,
                // launchImage}].
                (std::unique_ptr<PList::Array>, notifications))
};

// An alert from outside (simctl alert): a notification's alert, or with `plain` a system one.
struct AlertRequest {
    static constexpr std::string_view kOp = "alert";
    WIRE_FIELDS((std::optional<std::string>, body), (std::optional<std::string>, launchImage),
                (bool, plain, false))
};

// UIApplication's openURL:.
struct OpenUrlRequest {
    static constexpr std::string_view kOp = "open-url";
    WIRE_FIELDS((std::string, url))
};

}  // namespace wire
