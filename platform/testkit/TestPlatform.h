// The in-process test platform: a phone that lives inside the test. The test backend plays
// its services (a virtual clock that only moves when the test says so, a device root folder of
// its own, typed records of the calls in order); this kit adds what belongs to the frameworks:
// it runs the run loop as the clock moves, and creating and destroying it empties the current
// thread's run loop (and the Darwin notify center's observers, whose sources it held) and forgets
// the loaded user defaults and main bundle, so no test sees another's timers, sources or settings.
//
// Create one per test; while it exists its services are the active ones.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/Foundation.h>
#include <IOKit/pwr_mgt/IOPMLib.h>
#include <SpringBoardServices/SpringBoardServices.h>

#include <memory>
#include <optional>
#include <string>

#include "TestBackend.h"

namespace platform::testing {

// What a settings file holds at `key`, as the platform reads it: a number (integer, real or
// boolean), a boolean alone, an integer alone. None when the key is absent or holds another kind.
std::optional<NSNumber> settingNumber(const PList::Dictionary& settings, const std::string& key);
std::optional<bool> settingBoolean(const PList::Dictionary& settings, const std::string& key);
std::optional<long long> settingInteger(const PList::Dictionary& settings, const std::string& key);

class TestPlatform : public TestBackend {
  public:
    static constexpr const char* kDefaultBundleIdentifier = "com.quillmoor.vigilantpro";
    static constexpr const char* kDefaultBundlePath = TestFiles::kDefaultBundlePath;
    static constexpr const char* kDefaultSystemVersion = TestFiles::kDefaultSystemVersion;
    static constexpr const char* kDefaultTime = "2026-12-07 12:00:00";
    static constexpr const char* kAutoWakePath = TestWake::kAutoWakePath;
    static constexpr mach_port_t kDefaultSpringBoardPort = TestSpringBoard::kDefaultServerPort;

    TestPlatform();
    ~TestPlatform();

    // ---- the virtual clock (UTC) and the device's time zone (UTC until set)
    // "YYYY-MM-DD HH:MM:SS" (UTC); throws std::invalid_argument for any other text.
    void setTime(const std::string& localTime) { process().setTime(localTime); }
    void setAbsoluteTime(CFAbsoluteTime time) { process().setAbsoluteTime(time); }
    // The wall clock set alone, as the network sets it: timers keep counting as they were.
    void setWallClock(const std::string& utcTime);
    CFAbsoluteTime now() { return process().now(); }
    // The clock as "YYYY-MM-DD HH:MM:SS" (UTC).
    std::string timeText() { return process().timeText(); }
    // The device is in `zone` (a name of the tz database) from the start, as if the process
    // had been started there.
    void setTimeZone(const std::string& zone);
    // Moves the clock `seconds` ahead while running the current thread's run loop (default
    // mode), so timers fire in order at their times and ready sources are served.
    void advance(double seconds);
    // Moves the clock without running anything, as a device that slept through the time.
    void sleepFor(double seconds) { process().moveBy(seconds); }
    // Runs the run loop once without moving the clock: serves what is ready and returns.
    SInt32 runOnce();

    // ---- power management
    // Queues a message on the registered connection, makes its descriptor readable and runs
    // the run loop once so the callback runs. False when nothing is registered.
    bool deliverPowerMessage(natural_t type, long argument);
    void failNextPowerRegistration() { power().failNextRegistration(); }
    void failNextPowerDeregistration() { power().failNextDeregistration(); }
    bool powerRegistered() const { return power().registered(); }
    io_connect_t powerConnection() const { return power().connection(); }

    // ---- Darwin notifications
    // A post of `name` from elsewhere on the device, served at once by running the run loop
    // once; how many registrations of the process it reached.
    size_t postDarwinNotification(const std::string& name);

    // ---- the system
    void setSystemVersion(std::string version) { files().setSystemVersion(std::move(version)); }
    // Installs a main bundle with this identifier and forgets the loaded user defaults.
    void setBundleIdentifier(const std::string& identifier);
    void setSpringBoardServerPort(mach_port_t port) { springBoard().setServerPort(port); }
    void setOpenURLResult(bool taken) { springBoard().setOpenURLResult(taken); }
    // Forgets the loaded user defaults (keeping what was registered) so the next use reads the
    // settings file afresh, as a new process would.
    void reloadUserDefaults();

    // ---- files of the device root
    std::string deviceRoot() { return files().deviceRoot(); }
    std::string hostPathOf(const std::string& devicePath) const {
        return files().hostPathOf(devicePath);
    }
    void writeFile(const std::string& devicePath, const std::string& bytes) {
        files().writeFile(devicePath, bytes);
    }
    std::string readFile(const std::string& devicePath) const {
        return files().readFile(devicePath);
    }
    bool fileExists(const std::string& devicePath) const { return files().fileExists(devicePath); }
    void removeFile(const std::string& devicePath) { files().removeFile(devicePath); }
    // The system wake-request list, as raw bytes or as entries.
    void writeAutoWakeFile(const std::string& bytes) { wake().writeAutoWakeFile(bytes); }
    void writeAutoWakeEntries(const std::vector<AutoWakeEntry>& entries) {
        wake().writeAutoWakeEntries(entries);
    }
    // The entries of the list as the file now holds them (empty when it is none).
    std::vector<AutoWakeEntry> autoWakeEntries() const { return wake().autoWakeEntries(); }
    // Bookings and withdrawals also edit the list, as the phone does (on by default).
    void setMaintainAutoWakeFile(bool maintain) { wake().setMaintainAutoWakeFile(maintain); }
    // The settings file of the main bundle's domain under /var/root.
    std::string settingsDevicePath() const;
    void writeSettingsFile(const std::string& bytes) { writeFile(settingsDevicePath(), bytes); }
    void writeSettings(const PList::Dictionary& settings);
    // The parsed settings file; null when it is missing or no dictionary.
    std::unique_ptr<PList::Dictionary> readSettings() const {
        return readDictionary(settingsDevicePath());
    }
    // A parsed property-list file of the device; null when it is missing or no dictionary.
    std::unique_ptr<PList::Dictionary> readDictionary(const std::string& devicePath) const;
    // Places a library at the device's SpringBoardServices path (a symbolic link to it).
    void installSpringBoardServices(const std::string& hostLibraryPath);

  private:
    static void emptyCurrentRunLoop();
};

}  // namespace platform::testing
