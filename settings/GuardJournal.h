// The guard's journal: its last guarded periods, when and why each began and ended, how many
// sleeps it refused and what the battery held, so that the owner can see in the morning what
// the guard did in the night. The daemon writes it; the control app reads it.
//
// It is a property list next to the settings, replaced whole at each change of state. The
// count of refusals changes far more often than anything else: it is kept in memory and written
// when its period ends and at most every few minutes (tick()). A file that is not a journal is
// put aside (its path + ".damaged") and a new journal started: the guard never stops for it.
#pragma once

#include <Foundation/Foundation.h>

#include <optional>
#include <vector>

enum class GuardStart { SwitchedOn, WindowStart, BackOnCharger };
enum class GuardEnd { WindowEnd, BatteryFloor, SwitchedOff, PhoneSwitchedOff };

struct GuardPeriod {
    NSDate began = NSDate::dateWithTimeIntervalSinceReferenceDate(0);
    GuardStart beganBecause = GuardStart::SwitchedOn;
    // Set when the period began at the wake-up booked for it: how long after the booked time.
    std::optional<NSTimeInterval> lateForWakeUp;
    NSInteger sleepsRefused = 0;
    std::optional<int> batteryAtStart;  // percent; none on a phone that reports no battery
    std::optional<int> batteryAtEnd;
    std::optional<NSDate> ended;  // none while the period goes on
    GuardEnd endedBecause = GuardEnd::SwitchedOff;
};

class GuardJournal {
  public:
    static constexpr size_t kPeriodsKept = 14;
    static constexpr NSTimeInterval kCountWriteInterval = 300;
    // A guard switched off and on again within this goes on with the same period.
    static constexpr NSTimeInterval kRestartGap = 60;

    // Loads the journal. A period left open by a daemon that stopped without ending it (the
    // phone lost its power, the process was killed) is closed at the last moment the journal
    // knew of, as the phone switching itself off.
    explicit GuardJournal(NSString path = standardPath());
    // Beside the settings file: "<domain>.journal.plist" in the same folder.
    static NSString standardPath();
    // The periods a journal file's bytes hold, oldest first; none when they hold no journal.
    static std::vector<GuardPeriod> periodsIn(const std::optional<NSData>& data);
    // The same of the file at `path`.
    static std::vector<GuardPeriod> periodsAt(const NSString& path) {
        return periodsIn(NSData::dataWithContentsOfFile(path));
    }

    // A period that is still open is ended first, at the same moment, as switched off. One that
    // was switched off less than kRestartGap ago is taken up again instead of a new one.
    void begin(const NSDate& now, GuardStart why, std::optional<int> battery,
               std::optional<NSTimeInterval> lateForWakeUp = std::nullopt);
    // Nothing when no period is open.
    void end(const NSDate& now, GuardEnd why, std::optional<int> battery);
    // Counted in memory only: called while a sleep question waits for its answer.
    void sleepRefused();
    // Writes a count that changed, and the last moment known, once kCountWriteInterval has
    // passed since the last write (or the clock was set back). Nothing else: every write is a
    // wait for the disk, and a guard that holds without questions must stay asleep.
    void tick(const NSDate& now);

    bool periodOpen() const { return !periods_.empty() && !periods_.back().ended; }
    const std::vector<GuardPeriod>& periods() const { return periods_; }

  private:
    void write(const NSDate& now);

    NSString path_;
    std::vector<GuardPeriod> periods_;
    std::optional<NSDate> lastWritten_;
    NSInteger refusalsWritten_ = 0;
};
