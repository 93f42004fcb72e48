#include "AppSettings.h"

#include <algorithm>
#include <climits>

const NSString kSchedulePrefKey = "Schedule";
const NSString kScheduleStartPrefKey = "ScheduleStart";
const NSString kScheduleEndPrefKey = "ScheduleEnd";
const NSString kNotificationsEnabledPrefKey = "NotificationsEnabled";
const NSString kStatusBarIconWarningPrefKey = "StatusBarIconWarning";
const NSString kBatteryFloorPrefKey = "BatteryFloor";

namespace {
AppSettings* s_sharedSettings = nullptr;
NSUserDefaults& store() { return NSUserDefaults::standardUserDefaults(); }

// The integer keys hold 32-bit values; a larger number in the file (written by something else)
// reads as the nearest one that fits rather than wrapping around to an unrelated time.
int minutesForKey(const NSString& key) {
    return static_cast<int>(std::clamp<NSInteger>(store().integerForKey(key), INT_MIN, INT_MAX));
}
}  // namespace

// Every caller runs on its process's main thread, so the test-and-set needs no lock.
AppSettings* AppSettings::sharedSettings() {
    if (!s_sharedSettings) s_sharedSettings = new AppSettings();  // never destroyed
    return s_sharedSettings;
}

AppSettings::AppSettings() {
    // A volatile fallback: answered for absent keys, never written to the file. A value of
    // the wrong type (text, a date, a collection) reads as absent: the integer keys then read
    // as these defaults and the boolean keys as NO, so a damaged file never turns into a
    // surprising setting. Numbers of another kind convert (a real truncates, YES reads as 1).
    NSDictionary defaults;
    defaults.setObjectForKey(NSNumber::numberWithInt(540), kScheduleStartPrefKey);
    defaults.setObjectForKey(NSNumber::numberWithInt(1020), kScheduleEndPrefKey);
    store().registerDefaults(defaults);
    settingsDirty_ = false;
}

template <class Write>
void AppSettings::change(Write write) {
    settingsDirty_ = true;
    write(store());
    sync();
}

void AppSettings::sync() {
    store().synchronize();  // a failed flush goes unnoticed, as the store reports no errors
    settingsDirty_ = false;
}

BOOL AppSettings::schedule() const { return store().boolForKey(kSchedulePrefKey); }
void AppSettings::setSchedule(BOOL schedule) {
    change([&](NSUserDefaults& d) {
        d.setObjectForKey(NSNumber::numberWithBool(schedule), kSchedulePrefKey);
    });
}

int AppSettings::scheduleStart() const { return minutesForKey(kScheduleStartPrefKey); }
void AppSettings::setScheduleStart(int minutes) {
    change([&](NSUserDefaults& d) {
        d.setObjectForKey(NSNumber::numberWithInt(minutes), kScheduleStartPrefKey);
    });
}

int AppSettings::scheduleEnd() const { return minutesForKey(kScheduleEndPrefKey); }
void AppSettings::setScheduleEnd(int minutes) {
    change([&](NSUserDefaults& d) {
        d.setObjectForKey(NSNumber::numberWithInt(minutes), kScheduleEndPrefKey);
    });
}

BOOL AppSettings::notificationsEnabled() const {
    return store().boolForKey(kNotificationsEnabledPrefKey);
}
void AppSettings::setNotificationsEnabled(BOOL enabled) {
    change([&](NSUserDefaults& d) {
        d.setObjectForKey(NSNumber::numberWithBool(enabled), kNotificationsEnabledPrefKey);
    });
}

BOOL AppSettings::statusBarIconWarning() const {
    return store().boolForKey(kStatusBarIconWarningPrefKey);
}
void AppSettings::setStatusBarIconWarning(BOOL shown) {
    change([&](NSUserDefaults& d) { d.setBoolForKey(shown, kStatusBarIconWarningPrefKey); });
}

int AppSettings::batteryFloor() const {
    const NSInteger percent = store().integerForKey(kBatteryFloorPrefKey);
    return percent >= 0 && percent <= 100 ? static_cast<int>(percent) : 0;
}
void AppSettings::setBatteryFloor(int percent) {
    change([&](NSUserDefaults& d) {
        d.setObjectForKey(NSNumber::numberWithInt(percent), kBatteryFloorPrefKey);
    });
}

int AppSettings::startHour() const { return scheduleStart() / 60; }
int AppSettings::startMinute() const { return scheduleStart() % 60; }
int AppSettings::endHour() const { return scheduleEnd() / 60; }
int AppSettings::endMinute() const { return scheduleEnd() % 60; }
