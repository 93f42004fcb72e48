// The in-process test platform: a phone that lives inside the test. It has a virtual clock that
// only moves when the test says so, a device root folder of its own, and it records every
// platform call and every request (power answers, wake bookings, status-bar requests, centre
// messages) so tests can check them in order.
//
// Create one per test; while it exists it is the active backend. Creating and destroying it
// also empties the current thread's run loop and forgets the loaded user defaults and main
// bundle, so no test sees another's timers, sources or settings.
#pragma once

#include <backend/Backend.h>
#include <plist/plist++.h>

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "TestRecords.h"

namespace platform::testing {

// What a settings file holds at `key`, as the platform reads it: a number (integer, real or
// boolean), a boolean alone, an integer alone. None when the key is absent or holds another kind.
std::optional<NSNumber> settingNumber(const PList::Dictionary& settings, const std::string& key);
std::optional<bool> settingBoolean(const PList::Dictionary& settings, const std::string& key);
std::optional<long long> settingInteger(const PList::Dictionary& settings, const std::string& key);

class TestPlatform : public Backend {
  public:
    static constexpr const char* kDefaultBundleIdentifier = "com.quillmoor.vigilantpro";
    static constexpr const char* kDefaultBundlePath = "/Applications/VigilantPro.app";
    static constexpr const char* kDefaultSystemVersion = "3.1.3";
    static constexpr const char* kDefaultTime = "2026-12-07 12:00:00";
    static constexpr const char* kAutoWakePath =
        "/private/var/preferences/SystemConfiguration/com.apple.AutoWake.plist";
    static constexpr mach_port_t kDefaultSpringBoardPort = 0x1503;

    TestPlatform();
    ~TestPlatform() override;
    TestPlatform(const TestPlatform&) = delete;
    TestPlatform& operator=(const TestPlatform&) = delete;

    // ---- the virtual clock (device local time, which is UTC)
    // "YYYY-MM-DD HH:MM:SS"; throws std::invalid_argument for any other text.
    void setTime(const std::string& localTime);
    void setAbsoluteTime(CFAbsoluteTime time) { now_ = time; }
    // The clock as "YYYY-MM-DD HH:MM:SS".
    std::string timeText() const;
    // Moves the clock `seconds` ahead while running the current thread's run loop (default
    // mode), so timers fire in order at their times and ready sources are served.
    void advance(double seconds);
    // Moves the clock without running anything, as a device that slept through the time.
    void sleepFor(double seconds) { now_ += seconds; }
    // Runs the run loop once without moving the clock: serves what is ready and returns.
    SInt32 runOnce();

    // ---- recorded platform calls, "Name(arg, arg)" in order
    const std::vector<std::string>& calls() const { return calls_; }
    // The calls whose name (the text before the parenthesis) is `name`.
    std::vector<std::string> callsNamed(std::string_view name) const;
    size_t countCalls(std::string_view name) const { return callsNamed(name).size(); }
    // Indices in calls() of the calls named `name`.
    std::vector<size_t> indicesOf(std::string_view name) const;
    // Forgets every record (calls, answers, bookings, requests, messages, logs).
    void clearRecords();
    // Long runs (benchmarks) turn keeping records off so the platform itself does not grow.
    void setKeepRecords(bool keep) { keepRecords_ = keep; }

    // ---- power management
    // Queues a message on the registered connection, makes its descriptor readable and runs
    // the run loop once so the callback runs. False when nothing is registered.
    bool deliverPowerMessage(natural_t type, long argument);
    void failNextPowerRegistration() { failNextRegistration_ = true; }
    void failNextPowerDeregistration() { failNextDeregistration_ = true; }
    bool powerRegistered() const { return registration_.connection != 0; }
    io_connect_t powerConnection() const { return registration_.connection; }
    const std::vector<PowerAnswer>& powerAnswers() const { return powerAnswers_; }

    // ---- the system
    void setSystemVersion(std::string version) { systemVersion_ = std::move(version); }
    // Installs a main bundle with this identifier and forgets the loaded user defaults.
    void setBundleIdentifier(const std::string& identifier);
    void setSpringBoardServerPort(mach_port_t port) { springBoardPort_ = port; }
    void setOpenURLResult(bool taken) { openURLResult_ = taken; }
    // Forgets the loaded user defaults (keeping what was registered) so the next use reads the
    // settings file afresh, as a new process would.
    void reloadUserDefaults();

    // ---- files of the device root
    std::string deviceRoot() override { return root_; }
    std::string hostPathOf(const std::string& devicePath) const { return root_ + devicePath; }
    void writeFile(const std::string& devicePath, const std::string& bytes);
    std::string readFile(const std::string& devicePath) const;
    bool fileExists(const std::string& devicePath) const;
    void removeFile(const std::string& devicePath);
    // The system wake-request list, as raw bytes or as entries.
    void writeAutoWakeFile(const std::string& bytes) { writeFile(kAutoWakePath, bytes); }
    void writeAutoWakeEntries(const std::vector<AutoWakeEntry>& entries);
    // The entries of the list as the file now holds them (empty when it is none).
    std::vector<AutoWakeEntry> autoWakeEntries() const;
    // Bookings and withdrawals also edit the list, as the phone does (on by default).
    void setMaintainAutoWakeFile(bool maintain) { maintainAutoWake_ = maintain; }
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

    // ---- what reached SpringBoard and AppSupport
    const std::vector<WakeRequest>& wakeRequests() const { return wakeRequests_; }
    const std::vector<StatusBarRequest>& statusBarRequests() const { return statusBarRequests_; }
    const std::vector<CenterMessage>& centerMessages() const { return centerMessages_; }
    const std::vector<LocalNotificationRecord>& notifications() const { return notifications_; }
    const std::vector<std::string>& openedURLs() const { return openedURLs_; }
    const std::vector<std::string>& logLines() const { return logLines_; }

    // ---- Backend
    CFAbsoluteTime now() override { return now_; }
    std::vector<int> wait(const std::vector<int>& fds,
                          std::optional<CFAbsoluteTime> until) override;
    std::string homeDirectory() override { return "/var/root"; }
    std::string systemVersion() override { return systemVersion_; }
    std::string mainBundlePath() override { return bundlePath_; }
    std::string processName() override { return "VigilantPro"; }
    void record(const std::string& call) override;
    void log(const std::string& line) override;
    PowerRegistration registerForSystemPower() override;
    bool nextPowerMessage(io_connect_t connection, natural_t* type, long* argument) override;
    IOReturn answerPowerChange(io_connect_t connection, long argument, bool allow) override;
    IOReturn deregisterForSystemPower(io_object_t notifier) override;
    kern_return_t serviceClose(io_connect_t connection) override;
    bool scheduleWake(CFAbsoluteTime date, const std::string& identifier) override;
    bool cancelWake(CFAbsoluteTime date, const std::string& identifier) override;
    bool sendCenterMessage(const std::string& center, const std::string& message,
                           const NSDictionary* userInfo) override;
    void applicationStatusBarImage(const std::string& name, bool show) override;
    mach_port_t springBoardServerPort() override { return springBoardPort_; }
    void springBoardStatusBarItem(mach_port_t port, const std::string& name, bool show,
                                  int flags) override;
    void scheduleLocalNotification(const std::string& bundleIdentifier,
                                   const UILocalNotification& notification) override;
    void cancelAllLocalNotifications(const std::string& bundleIdentifier) override;
    bool openURL(const std::string& url) override;

  private:
    struct PowerConnection {
        io_connect_t connection = 0;
        io_object_t notifier = 0;
        int readFd = -1;
        int writeFd = -1;
        std::deque<std::pair<natural_t, long>> queue;
    };
    static void emptyCurrentRunLoop();
    void closePowerConnection();
    void editAutoWakeFile(const AutoWakeEntry& entry, bool add);

    std::string root_;
    CFAbsoluteTime now_ = 0;
    std::string systemVersion_ = kDefaultSystemVersion;
    std::string bundlePath_ = kDefaultBundlePath;
    mach_port_t springBoardPort_ = kDefaultSpringBoardPort;
    bool openURLResult_ = true;
    bool keepRecords_ = true;
    bool maintainAutoWake_ = true;

    bool failNextRegistration_ = false;
    bool failNextDeregistration_ = false;
    unsigned registrations_ = 0;
    PowerConnection registration_;

    std::vector<std::string> calls_;
    std::vector<PowerAnswer> powerAnswers_;
    std::vector<WakeRequest> wakeRequests_;
    std::vector<StatusBarRequest> statusBarRequests_;
    std::vector<CenterMessage> centerMessages_;
    std::vector<LocalNotificationRecord> notifications_;
    std::vector<std::string> openedURLs_;
    std::vector<std::string> logLines_;
};

}  // namespace platform::testing
