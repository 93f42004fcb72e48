// Helpers shared by the daemon tests: a phone with the SpringBoardServices stand-in, the
// settings written as the control app leaves them, and the guard's calls in short form.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "AppSettings.h"
#include "Daemon.h"
#include "StatusBarController.h"
#include "TestPlatform.h"

namespace daemon_test {

using platform::testing::TestPlatform;

inline constexpr const char* kLabel = "com.quillmoor.vigilantpro";

// A phone of the given version at the given time, with SpringBoardServices installed.
inline std::unique_ptr<TestPlatform> makeDevice(const std::string& version,
                                                const std::string& time) {
    auto device = std::make_unique<TestPlatform>();
    device->installSpringBoardServices(SBS_LIBRARY);
    device->setSystemVersion(version);
    device->setTime(time);
    return device;
}

// The settings file as the control app writes it; the next use of the store reads it.
inline void writeSchedule(TestPlatform& device, bool on, int start, int end) {
    PList::Dictionary file;
    file.Set("Schedule", PList::Boolean(on));
    file.Set("ScheduleStart", PList::Integer(static_cast<uint64_t>(static_cast<int64_t>(start))));
    file.Set("ScheduleEnd", PList::Integer(static_cast<uint64_t>(static_cast<int64_t>(end))));
    device.writeSettings(file);
    device.reloadUserDefaults();
}

// The text between the parentheses of a recorded call.
inline std::string argumentsOf(const std::string& call) {
    const size_t open = call.find('(');
    return open == std::string::npos ? "" : call.substr(open + 1, call.size() - open - 2);
}

// The guard's visible actions in order: "subscribe", "timer 10", "timer 20", "show", "hide",
// "book <date>", "withdraw <date>", "allow <arg>", "cancel <arg>".
inline std::vector<std::string> guardEvents(const TestPlatform& device) {
    std::vector<std::string> events;
    for (const std::string& call : device.calls()) {
        const std::string name = call.substr(0, call.find('('));
        const std::string args = argumentsOf(call);
        const std::string firstArg = args.substr(0, args.find(','));
        if (name == "IORegisterForSystemPower")
            events.push_back("subscribe");
        else if (name == "NSTimer.scheduledTimerWithTimeInterval")
            events.push_back("timer " + std::to_string(std::stoi(firstArg)));
        else if (name == "SBAddStatusBarItem" || name == "UIApplication.addStatusBarImageNamed")
            events.push_back("show");
        else if (name == "SBRemoveStatusBarItem" ||
                 name == "UIApplication.removeStatusBarImageNamed")
            events.push_back("hide");
        else if (name == "CPScheduleWakeAtDateWithIdentifier")
            events.push_back("book " + firstArg);
        else if (name == "CPCancelWakeAtDateWithIdentifier")
            events.push_back("withdraw " + firstArg);
        else if (name == "IOAllowPowerChange")
            events.push_back("allow " + args.substr(args.find(", ") + 2));
        else if (name == "IOCancelPowerChange")
            events.push_back("cancel " + args.substr(args.find(", ") + 2));
    }
    return events;
}

inline size_t countOf(const std::vector<std::string>& events, const std::string& prefix) {
    size_t n = 0;
    for (const auto& e : events) n += e.rfind(prefix, 0) == 0;
    return n;
}

}  // namespace daemon_test
