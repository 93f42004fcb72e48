// Fuzzes the two files the daemon reads that anyone may have written: the system's
// wake-request list (read by scheduleWake) and the settings file (read by AppSettings'
// getters and the window test). The same bytes serve as both. Whatever they hold, the daemon
// withdraws only its own bookings, books exactly one wake-up, and never crashes.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "AppSettings.h"
#include "Daemon.h"
#include "TestPlatform.h"

using platform::testing::TestPlatform;
using platform::testing::WakeAction;

namespace {

constexpr char kLabel[] = "com.quillmoor.vigilantpro";  // the guard's bookings are under it

TestPlatform& device() {
    static TestPlatform* platform = [] {
        auto* p = new TestPlatform();  // lives as long as the fuzzer
        p->setSystemVersion("4.0");    // the daemon starts up doing nothing
        p->setMaintainAutoWakeFile(false);
        p->setTime("2026-12-07 17:01:37");
        return p;
    }();
    return *platform;
}

// Plain writes: the fuzzer needs no durability, and flushing every input would slow it.
void put(const std::string& devicePath, const std::string& bytes) {
    std::ofstream(device().hostPathOf(devicePath), std::ios::binary | std::ios::trunc) << bytes;
}

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "guard fuzzer: %s\n", what);
    __builtin_trap();
}

void checkOneBookingAfterOwnWithdrawals() {
    const auto& requests = device().wakeRequests();
    require(!requests.empty(), "no booking");
    require(requests.back().action == WakeAction::schedule, "the last request is no booking");
    for (const auto& r : requests) {
        require(r.identifier == kLabel, "a request under another identifier");
        require(&r == &requests.back() || r.action == WakeAction::cancel, "a second booking");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    device();  // the platform first: the daemon asks it for the system version at creation
    static Daemon* daemon = new Daemon();  // never destroyed, as in the daemon
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    put(TestPlatform::kAutoWakePath, bytes);
    device().clearRecords();
    daemon->scheduleWake();
    checkOneBookingAfterOwnWithdrawals();

    put(device().settingsDevicePath(), bytes);
    device().reloadUserDefaults();
    AppSettings& settings = *AppSettings::sharedSettings();
    volatile long long sink = 0;
    for (long long value :
         {static_cast<long long>(settings.schedule()),
          static_cast<long long>(settings.scheduleStart()),
          static_cast<long long>(settings.scheduleEnd()),
          static_cast<long long>(settings.startHour()),
          static_cast<long long>(settings.startMinute()),
          static_cast<long long>(settings.endHour()), static_cast<long long>(settings.endMinute()),
          static_cast<long long>(settings.notificationsEnabled()),
          static_cast<long long>(settings.statusBarIconWarning()),
          static_cast<long long>(daemon->withinSchedule())})
        sink = sink + value;
    (void)sink;
    // The booking arithmetic over whatever start the file gave.
    device().clearRecords();
    daemon->scheduleWake();
    checkOneBookingAfterOwnWithdrawals();
    return 0;
}
