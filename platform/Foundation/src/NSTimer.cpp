#include <CoreFoundationInternal.h>
#include <Foundation/Foundation.h>
#include <backend/Backend.h>
#include <backend/Probes.h>

#include <cmath>

NSTimer::NSTimer(NSTimeInterval interval, Action action, void* userInfo, BOOL repeats)
    : interval_(interval > 0 ? interval : 0.0001),
      action_(std::move(action)),
      userInfo_(userInfo),
      repeats_(repeats) {}

NSTimer* NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval interval, Action action,
                                                 void* userInfo, BOOL repeats) {
    platform::probe::report([&] {
        return platform::probe::TimerScheduled{interval, bool(repeats)};
    });
    auto* timer = new NSTimer(interval, std::move(action), userInfo, repeats);
    timer->fireTime_ = platform::processService().elapsed() + timer->interval_;
    platform::addTimerToCurrentRunLoop(timer);  // which owns it
    return timer;
}

NSDate NSTimer::fireDate() const {
    platform::ProcessService& process = platform::processService();
    return NSDate::dateWithTimeIntervalSinceReferenceDate(fireTime_ + process.now() -
                                                          process.elapsed());
}

void NSTimer::advancePast(CFAbsoluteTime now) {
    if (!repeats_) return;
    // Keep the timer on its grid; firings missed while the device slept are dropped.
    const double behind = now - fireTime_;
    const double steps = behind >= 0 ? std::floor(behind / interval_) + 1 : 1;
    fireTime_ += steps * interval_;
}

void NSTimer::fire() {
    if (!valid_) return;
    if (!repeats_) valid_ = NO;
    if (action_) action_(this);
}

void NSTimer::invalidate() { valid_ = NO; }
