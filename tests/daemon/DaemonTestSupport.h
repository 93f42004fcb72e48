// Helpers shared by the daemon tests: a phone with the SpringBoardServices stand-in, the
// settings written as the control app leaves them, and the guard's calls in short form.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "AppSettings.h"
#include "Daemon.h"
#include "StatusBarController.h"
#include "TestPlatform.h"

namespace daemon_test {

using platform::testing::Record;
using platform::testing::TestPlatform;
using Records = std::vector<Record>;

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

// The settings file as the control app writes it (a battery floor only when one is given);
// the next use of the store reads it.
inline void writeSchedule(TestPlatform& device, bool on, int start, int end, int batteryFloor = 0) {
    PList::Dictionary file;
    file.Set("Schedule", PList::Boolean(on));
    file.Set("ScheduleStart", PList::Integer(static_cast<uint64_t>(static_cast<int64_t>(start))));
    file.Set("ScheduleEnd", PList::Integer(static_cast<uint64_t>(static_cast<int64_t>(end))));
    if (batteryFloor != 0)
        file.Set("BatteryFloor", PList::Integer(static_cast<uint64_t>(batteryFloor)));
    device.writeSettings(file);
    device.reloadUserDefaults();
}

// A recorded date as the platform shows it, "YYYY-MM-DD HH:MM:SS".
inline std::string dateText(double sinceReferenceDate) {
    return NSDate::dateWithTimeIntervalSinceReferenceDate(sinceReferenceDate).description();
}

// The guard's visible actions in order: "subscribe", "timer 10", "timer 20", "show", "hide",
// "book <date>", "withdraw <date>", "allow <arg>", "cancel <arg>".
inline std::vector<std::string> guardEvents(const TestPlatform& device) {
    using namespace platform::testing;
    std::vector<std::string> events;
    for (const Record& record : device.calls()) {
        if (std::holds_alternative<PowerRegistration>(record)) {
            events.push_back("subscribe");
        } else if (const auto* timer = std::get_if<platform::probe::TimerScheduled>(&record)) {
            events.push_back("timer " + std::to_string(static_cast<int>(timer->interval)));
        } else if (const auto* item = std::get_if<StatusBarRequest>(&record)) {
            events.push_back(item->show ? "show" : "hide");
        } else if (const auto* wake = std::get_if<WakeRequest>(&record)) {
            events.push_back((wake->action == WakeAction::schedule ? "book " : "withdraw ") +
                             dateText(wake->date));
        } else if (const auto* answer = std::get_if<PowerAnswer>(&record)) {
            events.push_back((answer->allow ? "allow " : "cancel ") +
                             std::to_string(answer->argument));
        }
    }
    return events;
}

// The guard's events after the first `skip` ones.
inline std::vector<std::string> eventsAfter(const TestPlatform& device, size_t skip) {
    std::vector<std::string> all = guardEvents(device);
    all.erase(all.begin(), all.begin() + static_cast<long>(std::min(skip, all.size())));
    return all;
}

inline size_t countOf(const std::vector<std::string>& events, const std::string& prefix) {
    size_t n = 0;
    for (const auto& e : events) n += e.rfind(prefix, 0) == 0;
    return n;
}

}  // namespace daemon_test
