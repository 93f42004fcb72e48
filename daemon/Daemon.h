// The sleep guard: holds the guard state, answers the sleep questions and keeps the
// status-bar icon and the next wake-up in step with the optional daily window and, when the
// owner set a battery floor, with the battery's charge and the charger.
#pragma once

#include "GuardJournal.h"
#include "PowerController.h"

#include <cstdint>
#include <memory>
#include <optional>

class Daemon : public PowerControllerDelegate {
  public:
    // The whole start-up.
    Daemon();
    // Stops observing the clock: the center must not call an object that is gone.
    ~Daemon() override;

    BOOL respondsToSelector(Selector selector) const override;
    BOOL systemWantsToSleep() override;
    BOOL systemMustSleep() override;

    BOOL withinSchedule();
    // The floor is off, the phone is on the charger, or its charge is at or above the floor.
    BOOL batteryAllows();
    void timerFire(NSTimer* timer);
    void scheduleWake();
    void addIcon(NSTimer* timer);
    // The wall clock was set or the device moved to another zone.
    void clockChanged();
    // IOKit told of a change of the battery or the charger.
    void powerSourcesChanged();

    // The process ends (unloaded, or the phone shuts down): the guarded period ends with it.
    void terminating();

    BOOL inSchedule() const { return inSchedule_ != 0; }
    PowerController* powerController() const { return powerController_.get(); }
    GuardJournal* journal() const { return journal_.get(); }

  private:
    // Why the guard takes hold or lets go now, for the journal.
    GuardStart startReason() const;
    std::optional<NSTimeInterval> lateForBookedWake() const;

    std::unique_ptr<PowerController> powerController_;
    std::unique_ptr<GuardJournal> journal_;
    BOOL heldBefore_ = NO;              // the guard has held since start-up
    BOOL letGoForBattery_ = NO;         // the last let-go was the battery floor's
    std::optional<NSDate> bookedWake_;  // the window's start last booked
    int8_t inSchedule_ = NO;
    // Both read once at start: the app restarts the daemon when either changes.
    BOOL schedule_ = NO;
    int batteryFloor_ = 0;
    CFRunLoopSourceRef powerSourceChanges_ = nullptr;  // while the floor is on
};

inline const NSString kAutoWakeListPath =
    "/private/var/preferences/SystemConfiguration/com.apple.AutoWake.plist";
