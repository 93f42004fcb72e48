// A simulated device with the package installed, on which the guard daemon is started and
// stopped the way the control app does it: settings through the defaults store, then
// `/bin/launchctl load -w` / `unload -w` of the job file. At the end of a test, pass or fail,
// `finish` shuts the device down and checks that no process of it (the daemons included) is left.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "DeviceSession.h"
#include "GuardLog.h"

namespace guard_e2e {

inline constexpr char kJobFile[] = "/System/Library/LaunchDaemons/com.quillmoor.vigilantpro.plist";
inline constexpr char kSettingsFile[] =
    "/var/root/Library/Preferences/com.quillmoor.vigilantpro.plist";
// The guard's record of its periods, beside the settings file.
inline constexpr char kJournalFile[] =
    "/var/root/Library/Preferences/com.quillmoor.vigilantpro.journal.plist";
inline constexpr char kWakeListFile[] =
    "/private/var/preferences/SystemConfiguration/com.apple.AutoWake.plist";

// Real seconds any one wait may take on a loaded 2-core machine, or under the sanitizers.
inline constexpr double kHostBudget = 150;

class GuardDevice {
  public:
    explicit GuardDevice(const std::string& version);

    e2e::DeviceSession& session() { return device_; }
    const std::string& root() const { return device_.root(); }

    bool installPackage() { return device_.installPackage(); }
    // The package installed and the schedule on, with the window from `start` to `end`
    // (minutes of the day), as the app stores it.
    bool installWithWindow(long long start, long long end);
    // The package installed, the schedule off and the device booted at noon on 2010-01-01:
    // the start of the tests of the guard that holds for good.
    bool installAndBootUnscheduled(double rate, double idleSleep);
    // `simctl defaults write` of one setting; type is "-bool", "-int" or "-string".
    bool writeSetting(const std::string& key, const std::string& type, const std::string& value);
    // `simctl battery` with these options (level, charger, rates), booted or not.
    bool battery(const std::vector<std::string>& options);
    // Any bytes at a device path, folders made as needed.
    void writeFile(const std::string& devicePath, const std::string& bytes) const;
    // {"--time", T, "--rate", R, "--idle-sleep", S}.
    bool boot(const std::string& time, double rate, double idleSleep);

    e2e::CommandResult load() { return launchctl("load"); }
    e2e::CommandResult unload() { return launchctl("unload"); }

    // The pid of the n-th start of the guard job (1-based), once the log has it; -1 if it
    // never came.
    long long waitForDaemon(size_t n);
    // The job-ended event of that daemon, once the log has it; null if it never came.
    Json waitForEnd(long long pid);
    bool waitFor(const std::function<bool(const Events&)>& condition,
                 double hostSeconds = kHostBudget) const {
        return device_.waitForEvents(condition, hostSeconds);
    }
    Events events() const { return device_.events(); }
    Json status() { return device_.status(); }
    const std::string& lastOutput() const { return device_.lastOutput(); }

    // Shuts down and checks that nothing of the device runs on: call at the end of each test.
    void finish();

  private:
    e2e::CommandResult launchctl(const std::string& verb);

    e2e::DeviceSession device_;
};

// User and system processor time of a process in clock ticks, from /proc/PID/stat; -1 when
// the process is gone.
long long processorTicks(pid_t pid);

}  // namespace guard_e2e
