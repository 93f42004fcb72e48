#include <AppSupport/AppSupport.h>
#include <backend/Backend.h>
#include <backend/Probes.h>

BOOL CPScheduleWakeAtDateWithIdentifier(const NSDate& date, const NSString& identifier) {
    return platform::wakeService().schedule(date.timeIntervalSinceReferenceDate(), identifier);
}

BOOL CPCancelWakeAtDateWithIdentifier(const NSDate& date, const NSString& identifier) {
    return platform::wakeService().cancel(date.timeIntervalSinceReferenceDate(), identifier);
}

CPDistributedMessagingCenter CPDistributedMessagingCenter::centerNamed(const NSString& name) {
    platform::probe::report([&] { return platform::probe::CenterLookedUp{name}; });
    return CPDistributedMessagingCenter(name);
}

BOOL CPDistributedMessagingCenter::sendMessageNameUserInfo(const NSString& message,
                                                           const NSDictionary* userInfo) const {
    return platform::springBoardService().sendCenterMessage(name_, message, userInfo);
}
