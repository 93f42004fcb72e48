#include "Daemon.h"

#include <AppSupport/AppSupport.h>
#include <UIKit/UIKit.h>

#include <optional>

#include "AppSettings.h"
#include "StatusBarController.h"
#include "VigilantProIdentity.h"

namespace {
constexpr int kMinutesPerDay = 1440;
constexpr NSTimeInterval kWindowTick = 10.0;
constexpr NSTimeInterval kIconRefresh = 20.0;

// Minutes are worked in 64 bits: the window bounds come from a file that anyone may have
// written, and values near the ends of int must not overflow when a day is added.
using Minutes = long long;

Minutes minutesNow() {
    const NSDateComponents c = NSCalendar::currentCalendar().componentsFromDate(
        NSHourCalendarUnit | NSMinuteCalendarUnit, NSDate::date());
    return static_cast<Minutes>(c.hour) * 60 + c.minute;
}

bool supportedSystem() {
    return launchdGeneration(UIDevice::currentDevice().systemVersion()).has_value();
}

// The "time" of a wake-list element booked under our label, if it is one.
std::optional<NSDate> ownBookingTime(const NSObject& element) {
    const auto entry = NSDynamicCast<NSDictionary>(element);
    if (!entry) return std::nullopt;  // not a dictionary: left alone
    if (NSDynamicCast<NSString>(entry->objectForKey("scheduledby")) != kJobLabel)
        return std::nullopt;
    return NSDynamicCast<NSDate>(entry->objectForKey("time"));
}
}  // namespace

Daemon::Daemon() {
    if (!supportedSystem()) return;  // nothing subscribed, no timers, no icon, no wake-up
    powerController_ = std::make_unique<PowerController>(this);
    powerController_->registerForPowerNotifications();
    StatusBarController::sharedStatusBarController()->setIconName(kStatusBarImageName);
    if (AppSettings::sharedSettings()->schedule()) {
        NSTimer::scheduledTimerWithTimeIntervalTargetSelectorUserInfoRepeats(
            kWindowTick, this, &Daemon::timerFire, nullptr, YES);
        timerFire(nullptr);
        if (!inSchedule_) scheduleWake();
    } else {
        inSchedule_ = YES;
        StatusBarController::sharedStatusBarController()->addIcon();
    }
    NSTimer::scheduledTimerWithTimeIntervalTargetSelectorUserInfoRepeats(
        kIconRefresh, this, &Daemon::addIcon, nullptr, YES);
}

BOOL Daemon::respondsToSelector(Selector selector) const {
    return selector == Selector::systemWantsToSleep || selector == Selector::systemMustSleep;
}

// Answered from the flag alone, without the clock or the settings.
BOOL Daemon::systemWantsToSleep() { return !inSchedule_; }
BOOL Daemon::systemMustSleep() { return !inSchedule_; }

BOOL Daemon::withinSchedule() {
    Minutes now = minutesNow();
    const Minutes start = AppSettings::sharedSettings()->scheduleStart();
    Minutes end = AppSettings::sharedSettings()->scheduleEnd();
    if (start > end) {  // across midnight
        if (now < end) now += kMinutesPerDay;
        end += kMinutesPerDay;
    }
    return now >= start && now <= end;
}

void Daemon::timerFire(NSTimer*) {
    const BOOL within = withinSchedule();
    if (within == inSchedule()) return;
    if (within) {
        inSchedule_ = YES;
        StatusBarController::sharedStatusBarController()->addIcon();
    } else {
        inSchedule_ = NO;
        StatusBarController::sharedStatusBarController()->removeIcon();
        scheduleWake();
    }
}

void Daemon::addIcon(NSTimer*) {
    if (inSchedule_) StatusBarController::sharedStatusBarController()->addIcon();
}

void Daemon::scheduleWake() {
    const Minutes now = minutesNow();
    Minutes start = AppSettings::sharedSettings()->scheduleStart();
    if (now > start) start += kMinutesPerDay;  // the next start is tomorrow
    // Whole minutes ahead: the wake-up falls as many seconds into the start minute as have
    // passed in the current one.
    const double seconds = static_cast<double>((start - now) * 60);
    const NSDate wakeDate = NSDate::dateWithTimeIntervalSinceNow(seconds);

    // Withdraw every earlier booking of ours that the system still lists, each by its time.
    const auto top = NSDynamicCast<NSDictionary>(
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            NSData::dataWithContentsOfFile(kAutoWakeListPath), NSPropertyListImmutable, nullptr,
            nullptr));
    const auto wake = top ? NSDynamicCast<NSArray>(top->objectForKey("wake")) : std::nullopt;
    for (NSUInteger i = 0; wake && i < wake->count(); ++i)
        if (auto date = ownBookingTime(wake->objectAtIndex(i)))
            CPCancelWakeAtDateWithIdentifier(*date, kJobLabel);
    CPScheduleWakeAtDateWithIdentifier(wakeDate, kJobLabel);
}
