#include "GuardJournal.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

namespace {
const NSString kPeriodsKey = "Periods";
const NSString kLastKnownKey = "LastKnown";
const NSString kBeganKey = "Began";
const NSString kBeganBecauseKey = "BeganBecause";
const NSString kLateKey = "WakeUpLate";
const NSString kRefusedKey = "SleepsRefused";
const NSString kBatteryAtStartKey = "BatteryAtStart";
const NSString kBatteryAtEndKey = "BatteryAtEnd";
const NSString kEndedKey = "Ended";
const NSString kEndedBecauseKey = "EndedBecause";

// The reasons as the file spells them, in the order of their enumerations.
constexpr std::array<std::string_view, 3> kStartNames{"switched-on", "window-start", "charger"};
constexpr std::array<std::string_view, 4> kEndNames{"window-end", "battery-floor", "switched-off",
                                                    "phone-switched-off"};

template <class Reason, size_t N>
NSString nameOf(Reason reason, const std::array<std::string_view, N>& names) {
    return NSString(names[static_cast<size_t>(reason)]);
}

template <class Reason, size_t N>
std::optional<Reason> reasonNamed(const NSObject& object,
                                  const std::array<std::string_view, N>& names) {
    const auto name = NSDynamicCast<NSString>(object);
    if (!name) return std::nullopt;
    const auto found = std::find(names.begin(), names.end(), *name);
    if (found == names.end()) return std::nullopt;
    return static_cast<Reason>(found - names.begin());
}

std::optional<int> percentAt(const NSDictionary& entry, const NSString& key) {
    const auto number = NSDynamicCast<NSNumber>(entry.objectForKey(key));
    if (!number || number->integerValue() < 0 || number->integerValue() > 100) return std::nullopt;
    return number->intValue();
}

NSDictionary entryOf(const GuardPeriod& period) {
    NSDictionary entry;
    entry.setObjectForKey(period.began, kBeganKey);
    entry.setObjectForKey(nameOf(period.beganBecause, kStartNames), kBeganBecauseKey);
    if (period.lateForWakeUp)
        entry.setObjectForKey(NSNumber::numberWithDouble(*period.lateForWakeUp), kLateKey);
    entry.setObjectForKey(NSNumber::numberWithInteger(period.sleepsRefused), kRefusedKey);
    if (period.batteryAtStart)
        entry.setObjectForKey(NSNumber::numberWithInt(*period.batteryAtStart), kBatteryAtStartKey);
    if (period.batteryAtEnd)
        entry.setObjectForKey(NSNumber::numberWithInt(*period.batteryAtEnd), kBatteryAtEndKey);
    if (period.ended) {
        entry.setObjectForKey(*period.ended, kEndedKey);
        entry.setObjectForKey(nameOf(period.endedBecause, kEndNames), kEndedBecauseKey);
    }
    return entry;
}

// None for an entry without its start; an end without a known reason reads as switched off.
std::optional<GuardPeriod> periodOf(const NSObject& object) {
    const auto entry = NSDynamicCast<NSDictionary>(object);
    if (!entry) return std::nullopt;
    const auto began = NSDynamicCast<NSDate>(entry->objectForKey(kBeganKey));
    const auto why = reasonNamed<GuardStart>(entry->objectForKey(kBeganBecauseKey), kStartNames);
    if (!began || !why) return std::nullopt;
    GuardPeriod period;
    period.began = *began;
    period.beganBecause = *why;
    if (const auto late = NSDynamicCast<NSNumber>(entry->objectForKey(kLateKey)))
        period.lateForWakeUp = late->doubleValue();
    if (const auto refused = NSDynamicCast<NSNumber>(entry->objectForKey(kRefusedKey)))
        period.sleepsRefused = std::max<NSInteger>(0, refused->integerValue());
    period.batteryAtStart = percentAt(*entry, kBatteryAtStartKey);
    period.batteryAtEnd = percentAt(*entry, kBatteryAtEndKey);
    period.ended = NSDynamicCast<NSDate>(entry->objectForKey(kEndedKey));
    period.endedBecause = reasonNamed<GuardEnd>(entry->objectForKey(kEndedBecauseKey), kEndNames)
                              .value_or(GuardEnd::SwitchedOff);
    return period;
}

struct Loaded {
    std::vector<GuardPeriod> periods;
    std::optional<NSDate> lastKnown;
    std::optional<NSData> damaged;  // the bytes of a file that holds no journal
};

Loaded load(const std::optional<NSData>& data) {
    Loaded loaded;
    if (!data || data->length() == 0) return loaded;  // none yet
    const auto top = NSDynamicCast<NSDictionary>(
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            data, NSPropertyListImmutable, nullptr, nullptr));
    const auto list = top ? NSDynamicCast<NSArray>(top->objectForKey(kPeriodsKey)) : std::nullopt;
    if (!list) {
        loaded.damaged = data;
        return loaded;
    }
    for (NSUInteger i = 0; i < list->count(); ++i)
        if (auto period = periodOf(list->objectAtIndex(i))) loaded.periods.push_back(*period);
    loaded.lastKnown = NSDynamicCast<NSDate>(top->objectForKey(kLastKnownKey));
    return loaded;
}
}  // namespace

NSString GuardJournal::standardPath() {
    NSString path = NSUserDefaults::standardUserDefaults().filePath();
    const std::string_view extension = ".plist";
    if (path.ends_with(extension)) path.resize(path.size() - extension.size());
    return path + ".journal.plist";
}

std::vector<GuardPeriod> GuardJournal::periodsIn(const std::optional<NSData>& data) {
    return load(data).periods;
}

GuardJournal::GuardJournal(NSString path) : path_(std::move(path)) {
    Loaded loaded = load(NSData::dataWithContentsOfFile(path_));
    periods_ = std::move(loaded.periods);
    if (loaded.damaged) {
        loaded.damaged->writeToFileAtomically(path_ + ".damaged", YES);
        write(NSDate::date());
        return;
    }
    if (!periodOpen()) return;
    GuardPeriod& open = periods_.back();
    open.ended = std::max(open.began, loaded.lastKnown.value_or(open.began));
    open.endedBecause = GuardEnd::PhoneSwitchedOff;
    write(*open.ended);
}

void GuardJournal::begin(const NSDate& now, GuardStart why, std::optional<int> battery,
                         std::optional<NSTimeInterval> lateForWakeUp) {
    if (periodOpen()) {
        end(now, GuardEnd::SwitchedOff, battery);
    } else if (!periods_.empty() && periods_.back().endedBecause == GuardEnd::SwitchedOff &&
               now >= *periods_.back().ended &&
               now.timeIntervalSinceDate(*periods_.back().ended) < kRestartGap) {
        // Every change of a setting restarts the guard: the daemon that ended cannot tell that
        // from a switch-off, so the one that begins takes the night up where it was left.
        periods_.back().ended.reset();
        periods_.back().batteryAtEnd.reset();
        write(now);
        return;
    }
    GuardPeriod period;
    period.began = now;
    period.beganBecause = why;
    period.lateForWakeUp = lateForWakeUp;
    period.batteryAtStart = battery;
    periods_.push_back(period);
    if (periods_.size() > kPeriodsKept)
        periods_.erase(periods_.begin(),
                       periods_.begin() + static_cast<long>(periods_.size() - kPeriodsKept));
    write(now);
}

void GuardJournal::end(const NSDate& now, GuardEnd why, std::optional<int> battery) {
    if (!periodOpen()) return;
    GuardPeriod& open = periods_.back();
    open.ended = now;
    open.endedBecause = why;
    open.batteryAtEnd = battery;
    write(now);
}

void GuardJournal::sleepRefused() {
    if (periodOpen()) ++periods_.back().sleepsRefused;
}

void GuardJournal::tick(const NSDate& now) {
    if (!periodOpen() || periods_.back().sleepsRefused == refusalsWritten_) return;
    if (lastWritten_ && now.timeIntervalSinceDate(*lastWritten_) < kCountWriteInterval &&
        now >= *lastWritten_)
        return;
    write(now);
}

void GuardJournal::write(const NSDate& now) {
    NSArray list;
    for (const GuardPeriod& period : periods_) list.addObject(entryOf(period));
    NSDictionary top;
    top.setObjectForKey(list, kPeriodsKey);
    top.setObjectForKey(now, kLastKnownKey);
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        top, NSPropertyListXMLFormat_v1_0, nullptr);
    // A failed write leaves the last whole journal; the next change tries again.
    if (!data.writeToFileAtomically(path_, YES)) return;
    lastWritten_ = now;
    refusalsWritten_ = periodOpen() ? periods_.back().sleepsRefused : 0;
}
