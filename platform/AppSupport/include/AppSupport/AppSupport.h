// AppSupport, a private framework of the phone: system wake-up bookings and the distributed
// messaging centre through which processes send messages to named services in SpringBoard.
#pragma once

#include <Foundation/Foundation.h>

// Books a system wake-up at `date` under `identifier`; the system lists it in
// /private/var/preferences/SystemConfiguration/com.apple.AutoWake.plist.
BOOL CPScheduleWakeAtDateWithIdentifier(const NSDate& date, const NSString& identifier);
// Withdraws the wake-up booked at `date` under `identifier`.
BOOL CPCancelWakeAtDateWithIdentifier(const NSDate& date, const NSString& identifier);

class CPDistributedMessagingCenter {
  public:
    static CPDistributedMessagingCenter centerNamed(const NSString& name);
    const NSString& name() const { return name_; }
    // One-way message; no reply is awaited. `userInfo` may be null.
    BOOL sendMessageNameUserInfo(const NSString& message, const NSDictionary* userInfo) const;

  private:
    explicit CPDistributedMessagingCenter(NSString name) : name_(std::move(name)) {}
    NSString name_;
};
