// What the in-process test platform keeps of the requests the code under test made, so tests
// can check them exactly and in order.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/Foundation.h>
#include <IOKit/pwr_mgt/IOPMLib.h>
#include <SpringBoardServices/SpringBoardServices.h>

#include <memory>
#include <optional>
#include <string>

namespace platform::testing {

// The three ways a process reaches the status bar, named as the device's event log names them.
inline constexpr const char* kRouteApplication = "UIApplication";
inline constexpr const char* kRouteSpringBoardServices = "SpringBoardServices";
inline constexpr const char* kRouteLibStatusBar = "libstatusbar";

struct PowerAnswer {
    io_connect_t connection = 0;
    long argument = 0;
    bool allow = false;
    bool operator==(const PowerAnswer&) const = default;
};

enum class WakeAction { schedule, cancel };

struct WakeRequest {
    WakeAction action = WakeAction::schedule;
    CFAbsoluteTime date = 0;
    std::string identifier;
    bool operator==(const WakeRequest&) const = default;
};

// One entry of the system's wake-request list.
struct AutoWakeEntry {
    CFAbsoluteTime time = 0;
    std::string scheduledBy;
    bool operator==(const AutoWakeEntry&) const = default;
};

struct StatusBarRequest {
    std::string route;  // kRoute...
    std::string item;
    bool show = false;
    mach_port_t port = 0;  // SpringBoardServices only
    int flags = 0;         // SpringBoardServices show only
    bool operator==(const StatusBarRequest&) const = default;
};

struct CenterMessage {
    std::string center;
    std::string message;
    std::string userInfoXml;               // empty when no userInfo was sent
    std::optional<NSDictionary> userInfo;  // none when none was sent
};

struct LocalNotificationRecord {
    std::string app;
    std::optional<CFAbsoluteTime> fireDate;
    unsigned long repeatInterval = 0;
    std::optional<std::string> alertBody;
    std::optional<std::string> alertLaunchImage;
};

}  // namespace platform::testing
