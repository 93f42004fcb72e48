// The main screen's word on the guard: where it stands now ("Guarding until 06:00") and what
// its latest finished period did ("Last night: 22:00–06:00, 238 sleeps refused, battery 92% →
// 61%"). Pure: everything it needs comes in, so every case can be worked without a phone.
#pragma once

#include <Foundation/Foundation.h>

#include <optional>
#include <vector>

#include "GuardJournal.h"

struct GuardStatusInput {
    BOOL schedule = NO;
    int windowStart = 0;  // minutes after midnight, as stored
    int windowEnd = 0;
    int batteryFloor = 0;              // percent; 0 is off
    std::optional<int> batteryLevel;   // percent; none when the phone does not say
    BOOL charging = NO;                // plugged in, charging or full
    std::vector<GuardPeriod> periods;  // the journal, oldest first
    NSString systemVersion;
    NSDate now = NSDate::date();
    NSCalendar calendar = NSCalendar::currentCalendar();
};

// The lines to show, in order: where the guard stands, then the latest ended period when the
// journal holds one. On a system without the daemon, the keep-alive's own line alone.
std::vector<NSString> guardStatusLines(const GuardStatusInput& input);
