// A local notification booked with SpringBoard, as kept in LocalNotifications.plist:
// {app, fireDate, repeat: "minute"/"none", body, launchImage}, body and launchImage absent
// when none.
#pragma once

#include <plist/plist++.h>
#include <wire/events/SpringBoard.h>

#include <optional>
#include <string>

namespace springboard {

struct LocalNotification {
    std::string app;
    double fireDate = 0;  // device seconds since the reference date
    bool repeatsEveryMinute = false;
    std::optional<std::string> body;
    std::optional<std::string> launchImage;

    PList::Dictionary toPlist() const;
    // Null, with `error`, for an entry that lacks app or fireDate or names another repeat.
    static std::optional<LocalNotification> fromPlist(const PList::Dictionary& entry,
                                                      std::string* error);
    // The fields of its events.
    wire::events::NotificationFields eventFields() const;
};

}  // namespace springboard
