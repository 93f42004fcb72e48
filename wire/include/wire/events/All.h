// Every event of the device's log, for the readers that enumerate them.
#pragma once

#include <wire/events/Event.h>
#include <wire/events/Launchd.h>
#include <wire/events/Powerd.h>
#include <wire/events/Simd.h>
#include <wire/events/SpringBoard.h>

namespace wire::events {

using AllEvents =
    List<Boot, ProcessStarted, ProcessEnded, ProcessStartFailed, SpringBoardAbsent,
         SpringBoardNotAnswering, BadMessage, UnknownRequest, InternalError, ClockSet,
         TimezoneChanged, Respring, SpringBoardRestarted, Shutdown, ShutdownComplete,
         ClientRegistered, ClientDeregistered, PowerMessage, Answer, NoAnswer, ClientGone,
         StrayAnswer, SleepAttempt, SleepCancelled, Sleep, Wake, WakeBooked, WakeWithdrawn,
         WakeNotFound, WakeListInvalid, BatteryLevel, PowerSource, BatteryEmpty, JobLoaded,
         JobUnloaded, JobStarted, JobKilled, JobEnded, JobStartFailed, JobInvalid, OverridesInvalid,
         OverridesUnwritable, StatusBarShow, StatusBarHide, NotificationBooked, NotificationFired,
         NotificationsCancelled, AlertShown, UrlOpened, Log>;

}  // namespace wire::events
