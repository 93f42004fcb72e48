// The events of SpringBoard, which it sends to simd for the log: the status bar, local
// notifications, alerts and opened addresses.
#pragma once

#include <wire/events/Event.h>

namespace wire::events {

inline constexpr std::string_view kSpringBoardSource = "SpringBoard";

// An item shown in or removed from the status bar, by a route ("UIApplication",
// "SpringBoardServices", "libstatusbar"); pid when the sender is known.
struct StatusBarChange {
    WIRE_FIELDS((std::string, item), (std::string, route), (std::optional<int64_t>, pid))
};

struct StatusBarShow : StatusBarChange {
    static constexpr std::string_view kSource = kSpringBoardSource;
    static constexpr std::string_view kEvent = "statusbar-show";
};

struct StatusBarHide : StatusBarChange {
    static constexpr std::string_view kSource = kSpringBoardSource;
    static constexpr std::string_view kEvent = "statusbar-hide";
};

// A local notification; fireDate is a device time.
struct NotificationFields {
    WIRE_FIELDS((std::string, app), (std::optional<std::string>, body),
                (std::optional<std::string>, launchImage), (std::string, fireDate))
};

struct NotificationBooked : NotificationFields {
    static constexpr std::string_view kSource = kSpringBoardSource;
    static constexpr std::string_view kEvent = "notification-booked";
};

struct NotificationFired : NotificationFields {
    static constexpr std::string_view kSource = kSpringBoardSource;
    static constexpr std::string_view kEvent = "notification-fired";
};

struct NotificationsCancelled {
    static constexpr std::string_view kSource = kSpringBoardSource;
    static constexpr std::string_view kEvent = "notifications-cancelled";
    WIRE_FIELDS((std::string, app), (int64_t, count, 0))
};

struct AlertShown {
    static constexpr std::string_view kSource = kSpringBoardSource;
    static constexpr std::string_view kEvent = "alert-shown";
    WIRE_FIELDS((std::optional<std::string>, body), (std::optional<std::string>, launchImage))
};

// UIApplication's openURL:; the device has no browser.
struct UrlOpened {
    static constexpr std::string_view kSource = kSpringBoardSource;
    static constexpr std::string_view kEvent = "url-opened";
    WIRE_FIELDS((std::string, url))
};

}  // namespace wire::events
