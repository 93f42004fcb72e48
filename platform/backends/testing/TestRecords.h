// What the test backend keeps of the calls that reach its services, and of what the
// frameworks report through their probes, as typed records in one ordered list, so tests can
// check them exactly and in order across kinds.
#pragma once

#include <backend/Probes.h>
#include <plist/plist++.h>
#include <wire/WakeList.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace platform::testing {

// ---- power
// A registration asked for; connection 0 when it failed.
struct PowerRegistration {
    uint32_t connection = 0;
    bool operator==(const PowerRegistration&) const = default;
};
struct PowerAnswer {
    uint32_t connection = 0;
    long argument = 0;
    bool allow = false;
    bool operator==(const PowerAnswer&) const = default;
};
struct PowerDeregistration {
    uint32_t notifier = 0;
    bool operator==(const PowerDeregistration&) const = default;
};
struct PowerClose {
    uint32_t connection = 0;
    bool operator==(const PowerClose&) const = default;
};

// ---- the user's activity
struct UserActivity {
    bool operator==(const UserActivity&) const = default;
};

// ---- the battery: one record a read
struct BatteryRead {
    bool operator==(const BatteryRead&) const = default;
};

// ---- wake
enum class WakeAction { schedule, cancel };
struct WakeRequest {
    WakeAction action = WakeAction::schedule;
    double date = 0;  // seconds since the reference date
    std::string identifier;
    bool operator==(const WakeRequest&) const = default;
};

// ---- SpringBoard
// The three ways a process reaches the status bar, named as the device's event log names them.
inline constexpr const char* kRouteApplication = "UIApplication";
inline constexpr const char* kRouteSpringBoardServices = "SpringBoardServices";
inline constexpr const char* kRouteLibStatusBar = "libstatusbar";

struct StatusBarRequest {
    std::string route;  // kRoute...
    std::string item;
    bool show = false;
    uint32_t port = 0;  // SpringBoardServices only
    int flags = 0;      // SpringBoardServices show only
    bool operator==(const StatusBarRequest&) const = default;
};
struct SpringBoardPortRequest {
    bool operator==(const SpringBoardPortRequest&) const = default;
};
struct CenterMessage {
    std::string center;
    std::string message;
    std::string userInfoXml;                            // empty when no userInfo was sent
    std::shared_ptr<const PList::Dictionary> userInfo;  // null when none was sent
    bool operator==(const CenterMessage& other) const {
        return center == other.center && message == other.message &&
               userInfoXml == other.userInfoXml;
    }
};
struct LocalNotificationRecord {
    std::string app;
    std::optional<double> fireDate;
    unsigned long repeatInterval = 0;
    std::optional<std::string> alertBody;
    std::optional<std::string> alertLaunchImage;
    bool operator==(const LocalNotificationRecord&) const = default;
};
struct NotificationsCancelled {
    std::string app;
    bool operator==(const NotificationsCancelled&) const = default;
};
struct URLOpened {
    std::string url;
    bool operator==(const URLOpened&) const = default;
};

// ---- Darwin notifications, by name
struct NotifyRegistration {
    std::string name;
    bool operator==(const NotifyRegistration&) const = default;
};
struct NotifyCancellation {
    std::string name;
    bool operator==(const NotifyCancellation&) const = default;
};
struct NotifyPost {
    std::string name;
    bool operator==(const NotifyPost&) const = default;
};

// ---- files and the process
struct SystemVersionRead {
    bool operator==(const SystemVersionRead&) const = default;
};
struct LogLine {
    std::string text;
    bool operator==(const LogLine&) const = default;
};

using ServiceRecord =
    std::variant<PowerRegistration, PowerAnswer, PowerDeregistration, PowerClose, UserActivity,
                 BatteryRead, WakeRequest, StatusBarRequest, SpringBoardPortRequest, CenterMessage,
                 LocalNotificationRecord, NotificationsCancelled, URLOpened, NotifyRegistration,
                 NotifyCancellation, NotifyPost, SystemVersionRead, LogLine>;

namespace detail {
template <class A, class B>
struct Joined;
template <class... A, class... B>
struct Joined<std::variant<A...>, std::variant<B...>> {
    using type = std::variant<A..., B...>;
};
}  // namespace detail

// A service call or a framework's probe event.
using Record = detail::Joined<ServiceRecord, probe::Event>::type;

// One entry of the system's wake-request list.
using AutoWakeEntry = wire::WakeRequest;

}  // namespace platform::testing
