// The program's persistent preferences: the single gateway to the user-defaults store of the
// domain "com.quillmoor.vigilantpro". Getters ask the store at every call; setters write
// through and flush the file before they return.
#pragma once

#include <Foundation/Foundation.h>

#include <atomic>

extern const NSString kSchedulePrefKey;
extern const NSString kScheduleStartPrefKey;
extern const NSString kScheduleEndPrefKey;
extern const NSString kNotificationsEnabledPrefKey;
extern const NSString kStatusBarIconWarningPrefKey;
extern const NSString kBatteryFloorPrefKey;

class AppSettings {
  public:
    // Created on the first call and never destroyed.
    static AppSettings* sharedSettings();

    BOOL schedule() const;
    void setSchedule(BOOL schedule);
    int scheduleStart() const;
    void setScheduleStart(int minutes);
    int scheduleEnd() const;
    void setScheduleEnd(int minutes);
    BOOL notificationsEnabled() const;
    void setNotificationsEnabled(BOOL enabled);
    BOOL statusBarIconWarning() const;
    void setStatusBarIconWarning(BOOL shown);
    // The charge in percent below which the guard lets go unless the phone is on the charger;
    // 0 is off, and so is anything outside 0 to 100 (and a missing or unreadable value).
    int batteryFloor() const;
    void setBatteryFloor(int percent);

    int startHour() const;
    int startMinute() const;
    int endHour() const;
    int endMinute() const;

    // Flushes the store to disk, then clears settingsDirty.
    void sync();
    BOOL settingsDirty() const { return settingsDirty_; }
    void setSettingsDirty(BOOL dirty) { settingsDirty_ = dirty; }

    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

  private:
    AppSettings();
    ~AppSettings() = default;
    template <class Write>
    void change(Write write);

    std::atomic<bool> settingsDirty_{false};
};
