// The names of the Darwin notifications the system itself posts, as the phone's SDK spells them.
#pragma once

// The wall clock was set (by the owner or the network).
#define kNotifyClockSet "com.apple.system.clock_set"
// The device moved to another time zone.
#define kNotifyTimeZoneChange "com.apple.system.timezone"
