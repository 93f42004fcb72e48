#include "Daemon.h"

#include <AppSupport/AppSupport.h>
#include <IOKit/ps/IOPowerSources.h>
#include <UIKit/UIKit.h>
#include <notify_keys.h>

#include <cmath>
#include <optional>

#include "AppSettings.h"
#include "InternalBattery.h"
#include "StatusBarController.h"
#include "VigilantProIdentity.h"

namespace {
constexpr int kMinutesPerDay = 1440;
constexpr NSTimeInterval kWindowTick = 10.0;
constexpr NSTimeInterval kIconRefresh = 20.0;
// A take-hold this soon after the booked window start is the booked wake-up's doing.
constexpr NSTimeInterval kWakeUpLatenessBound = 600.0;

std::optional<int> batteryPercent() {
    const InternalBattery battery = readInternalBattery();
    return battery.known ? std::optional<int>(battery.percent) : std::nullopt;
}

// Minutes are worked in 64 bits: the window bounds come from a file that anyone may have
// written, and values near the ends of int must not overflow when a day is added.
using Minutes = long long;

Minutes minutesNow() {
    const NSDateComponents c = NSCalendar::currentCalendar().componentsFromDate(
        NSHourCalendarUnit | NSMinuteCalendarUnit, NSDate::date());
    return static_cast<Minutes>(c.hour) * 60 + c.minute;
}

// The wall clock of `date` in `calendar`'s zone, to the minute.
NSDateComponents wallMinute(const NSCalendar& calendar, const NSDate& date) {
    return calendar.componentsFromDate(NSYearCalendarUnit | NSMonthCalendarUnit |
                                           NSDayCalendarUnit | NSHourCalendarUnit |
                                           NSMinuteCalendarUnit,
                                       date);
}

bool sameMinute(const NSDateComponents& a, const NSDateComponents& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute;
}

// The last change of the zone's offset at or before `date`: where a skipped wall time's gap ends.
NSDate lastChangeUpTo(const NSTimeZone& zone, const NSDate& date) {
    NSDate last = date;
    std::optional<NSDate> change =
        zone.nextDaylightSavingTimeTransitionAfterDate(date.dateByAddingTimeInterval(-86400));
    while (change && *change <= date) {
        last = *change;
        change = zone.nextDaylightSavingTimeTransitionAfterDate(*change);
    }
    return last;
}

// When the local wall clock next shows the window's start, the start minute `start` of today
// (or tomorrow once it has passed), as many seconds into that minute as have passed in the
// current one. The calendar places it, so a daylight-saving change before it moves the wake-up
// with the clock rather than leaving it an hour off. A start the zone skips that day (spring's
// missing hour) wakes when the clock reaches it, at the gap's end; one autumn shows twice wakes
// at its first showing still to come.
NSDate nextStartDate(Minutes start) {
    const NSDate now = NSDate::date();
    const NSCalendar calendar = NSCalendar::currentCalendar();
    const NSTimeZone zone = calendar.timeZone();
    const NSDateComponents today = calendar.componentsFromDate(
        NSYearCalendarUnit | NSMonthCalendarUnit | NSDayCalendarUnit | NSHourCalendarUnit |
            NSMinuteCalendarUnit | NSSecondCalendarUnit,
        now);
    const double sinceReference = now.timeIntervalSinceReferenceDate();
    const double intoMinute =
        static_cast<double>(today.second) + (sinceReference - std::floor(sinceReference));
    const Minutes nowMinutes = static_cast<Minutes>(today.hour) * 60 + today.minute;

    NSDateComponents wall{today.year, today.month, today.day, 0, 0, 0};
    if (nowMinutes > start) wall.day += 1;        // the next start is tomorrow
    wall.minute = static_cast<NSInteger>(start);  // minutes beyond a day carry over
    const NSDate startMinute = calendar.dateFromComponents(wall);

    // The wall minute asked for, its fields carried into range, against the one reached.
    NSCalendar utc = calendar;
    utc.setTimeZone(*NSTimeZone::timeZoneWithName("UTC"));
    if (!sameMinute(wallMinute(utc, utc.dateFromComponents(wall)),
                    wallMinute(calendar, startMinute)))
        return lastChangeUpTo(zone, startMinute);  // skipped: the gap's end

    NSDate wake = startMinute.dateByAddingTimeInterval(intoMinute);
    if (wake < now)  // its first showing has passed in the hour autumn repeats: the second one
        wake = wake.dateByAddingTimeInterval(static_cast<NSTimeInterval>(
            zone.secondsFromGMTForDate(wake) - zone.secondsFromGMTForDate(now)));
    return wake;
}

bool supportedSystem() {
    return launchdGeneration(UIDevice::currentDevice().systemVersion()).has_value();
}

void powerSourcesCallback(void* context) { static_cast<Daemon*>(context)->powerSourcesChanged(); }

void clockChangedCallback(CFNotificationCenterRef, void* observer, CFStringRef, const void*,
                          CFDictionaryRef) {
    static_cast<Daemon*>(observer)->clockChanged();
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
    journal_ = std::make_unique<GuardJournal>();
    powerController_->registerForPowerNotifications();
    StatusBarController::sharedStatusBarController()->setIconName(kStatusBarImageName);
    schedule_ = AppSettings::sharedSettings()->schedule();
    batteryFloor_ = AppSettings::sharedSettings()->batteryFloor();
    if (batteryFloor_ > 0) {
        // Let go the moment the phone is unplugged below the floor, not at the next tick.
        powerSourceChanges_ = IOPSNotificationCreateRunLoopSource(powerSourcesCallback, this);
        if (powerSourceChanges_)
            CFRunLoopAddSource(CFRunLoopGetCurrent(), powerSourceChanges_, kCFRunLoopDefaultMode);
    }
    if (schedule_) {
        NSTimer::scheduledTimerWithTimeIntervalTargetSelectorUserInfoRepeats(
            kWindowTick, this, &Daemon::timerFire, nullptr, YES);
        // A booking stands for the window's start on the wall clock of the zone it was made
        // in: when either changes, it must be made again.
        for (CFStringRef name : {kNotifyClockSet, kNotifyTimeZoneChange})
            CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), this,
                                            clockChangedCallback, name, nullptr,
                                            CFNotificationSuspensionBehaviorCoalesce);
        timerFire(nullptr);
        if (!inSchedule_) scheduleWake();
    } else {
        // The charge falls without a word between changes of the charger: the tick reads it.
        if (batteryFloor_ > 0)
            NSTimer::scheduledTimerWithTimeIntervalTargetSelectorUserInfoRepeats(
                kWindowTick, this, &Daemon::timerFire, nullptr, YES);
        timerFire(nullptr);  // active from now on, unless the battery says otherwise
    }
    NSTimer::scheduledTimerWithTimeIntervalTargetSelectorUserInfoRepeats(
        kIconRefresh, this, &Daemon::addIcon, nullptr, YES);
}

Daemon::~Daemon() {
    CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), this);
    // The phone's CFRelease takes no null: the source exists only while the floor is on.
    if (powerSourceChanges_) {
        CFRunLoopRemoveSource(CFRunLoopGetCurrent(), powerSourceChanges_, kCFRunLoopDefaultMode);
        CFRelease(powerSourceChanges_);
    }
}

BOOL Daemon::respondsToSelector(Selector selector) const {
    return selector == Selector::systemWantsToSleep || selector == Selector::systemMustSleep;
}

// Answered from the flag alone, without the clock or the settings; the journal only counts.
BOOL Daemon::systemWantsToSleep() {
    if (inSchedule_ && journal_) journal_->sleepRefused();
    return !inSchedule_;
}
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

BOOL Daemon::batteryAllows() {
    if (batteryFloor_ == 0) return YES;
    const InternalBattery battery = readInternalBattery();
    // A phone that reports no battery cannot run it down: the guard holds as without a floor.
    return !battery.known || battery.onCharger || battery.percent >= batteryFloor_;
}

// The guard is active when it is today (no schedule, or inside the window) and the battery
// allows it.
void Daemon::timerFire(NSTimer*) {
    const BOOL today = !schedule_ || withinSchedule();
    const BOOL active = today && batteryAllows();
    if (active == inSchedule()) return;
    if (active) {
        if (journal_)
            journal_->begin(NSDate::date(), startReason(), batteryPercent(), lateForBookedWake());
        inSchedule_ = YES;
        heldBefore_ = YES;
        StatusBarController::sharedStatusBarController()->addIcon();
    } else {
        // Still today, so the battery let go.
        const GuardEnd why = today ? GuardEnd::BatteryFloor : GuardEnd::WindowEnd;
        letGoForBattery_ = why == GuardEnd::BatteryFloor;
        if (journal_) journal_->end(NSDate::date(), why, batteryPercent());
        inSchedule_ = NO;
        StatusBarController::sharedStatusBarController()->removeIcon();
        // Let go inside the window as when leaving it: a sleeping phone wakes for the next one.
        if (schedule_) scheduleWake();
    }
}

GuardStart Daemon::startReason() const {
    if (letGoForBattery_) return GuardStart::BackOnCharger;
    if (schedule_ && (heldBefore_ || lateForBookedWake())) return GuardStart::WindowStart;
    return GuardStart::SwitchedOn;
}

std::optional<NSTimeInterval> Daemon::lateForBookedWake() const {
    if (!schedule_ || !bookedWake_) return std::nullopt;
    const NSTimeInterval late = NSDate::date().timeIntervalSinceDate(*bookedWake_);
    if (late < 0 || late > kWakeUpLatenessBound) return std::nullopt;
    return late;
}

void Daemon::terminating() {
    if (!journal_ || !inSchedule_) return;
    const InternalBattery battery = readInternalBattery();
    const bool empty = battery.known && !battery.onCharger && battery.percent == 0;
    journal_->end(NSDate::date(), empty ? GuardEnd::PhoneSwitchedOff : GuardEnd::SwitchedOff,
                  batteryPercent());
}

// Plugged in or unplugged: taken hold of or let go at once, as the tick would.
void Daemon::powerSourcesChanged() { timerFire(nullptr); }

void Daemon::clockChanged() {
    NSTimeZone::resetSystemTimeZone();  // the calendar must see the new zone
    // Inside the window the guard holds on; the ticks judge the new local time.
    if (!inSchedule_) scheduleWake();
}

void Daemon::addIcon(NSTimer*) {
    if (!inSchedule_) return;
    StatusBarController::sharedStatusBarController()->addIcon();
    if (journal_) journal_->tick(NSDate::date());
}

void Daemon::scheduleWake() {
    const NSDate wakeDate = nextStartDate(AppSettings::sharedSettings()->scheduleStart());

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
    bookedWake_ = wakeDate;
}
