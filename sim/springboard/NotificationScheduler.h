// The local notifications booked with SpringBoard, by every app, kept in
// LocalNotifications.plist so that they outlast the apps that booked them and a reboot. Each
// fires at its fire date; one that repeats by the minute is then due one minute later. A system
// wake-up is kept booked for the earliest of them, so that they fire on time on a sleeping device.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "EventSink.h"
#include "LocalNotification.h"
#include "NotificationWake.h"

namespace springboard {

class NotificationScheduler {
  public:
    // Runs for each firing, after it was logged; the notification as it was when it fired.
    using Firing = std::function<void(const LocalNotification&)>;

    NotificationScheduler(std::string fileHostPath, std::string wakeListHostPath, EventSink& events,
                          Firing onFire);

    // Reads the booked notifications, and the wake-ups an earlier SpringBoard left booked for
    // them (fireDue() moves them). A damaged file (or damaged entries) is kept beside as
    // FILE.damaged before anything overwrites it.
    void load();
    void book(LocalNotification notification);
    // Drops every notification of `app`; returns how many there were.
    size_t cancel(const std::string& app);
    // Fires every notification due at `now`, earliest first; returns how many fired. A
    // repeating one that missed several minutes (the device was off) fires once and is next
    // due on its minute grid after `now`. The wake-up is moved to the next fire date first.
    size_t fireDue(double now);

    std::optional<double> nextFireDate() const;
    const std::vector<LocalNotification>& booked() const { return booked_; }
    const NotificationWake& wake() const { return wake_; }

  private:
    void save();
    void keepDamagedFile();

    std::string file_;
    EventSink& events_;
    Firing onFire_;
    std::vector<LocalNotification> booked_;
    NotificationWake wake_;
};

}  // namespace springboard
