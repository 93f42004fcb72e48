// The sleep guard: holds the guard state, answers the sleep questions and keeps the
// status-bar icon and the next wake-up in step with the optional daily window.
#pragma once

#include "PowerController.h"

#include <cstdint>
#include <memory>

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
    void timerFire(NSTimer* timer);
    void scheduleWake();
    void addIcon(NSTimer* timer);
    // The wall clock was set or the device moved to another zone.
    void clockChanged();

    BOOL inSchedule() const { return inSchedule_ != 0; }
    PowerController* powerController() const { return powerController_.get(); }

  private:
    std::unique_ptr<PowerController> powerController_;
    int8_t inSchedule_ = NO;
};

inline const NSString kAutoWakeListPath =
    "/private/var/preferences/SystemConfiguration/com.apple.AutoWake.plist";
