#include <AppSupport/AppSupport.h>
#include <backend/Backend.h>

BOOL CPScheduleWakeAtDateWithIdentifier(const NSDate& date, const NSString& identifier) {
    platform::backend().record("CPScheduleWakeAtDateWithIdentifier(" + date.description() + ", " +
                               identifier + ")");
    return platform::backend().scheduleWake(date.timeIntervalSinceReferenceDate(), identifier);
}

BOOL CPCancelWakeAtDateWithIdentifier(const NSDate& date, const NSString& identifier) {
    platform::backend().record("CPCancelWakeAtDateWithIdentifier(" + date.description() + ", " +
                               identifier + ")");
    return platform::backend().cancelWake(date.timeIntervalSinceReferenceDate(), identifier);
}

CPDistributedMessagingCenter CPDistributedMessagingCenter::centerNamed(const NSString& name) {
    platform::backend().record("CPDistributedMessagingCenter.centerNamed(" + name + ")");
    return CPDistributedMessagingCenter(name);
}

namespace {
NSString xmlOf(const NSDictionary& dictionary) {
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        dictionary, NSPropertyListXMLFormat_v1_0, nullptr);
    return NSString(data.bytes().begin(), data.bytes().end());
}
}  // namespace

BOOL CPDistributedMessagingCenter::sendMessageNameUserInfo(const NSString& message,
                                                           const NSDictionary* userInfo) const {
    platform::backend().record("CPDistributedMessagingCenter.sendMessageNameUserInfo(" + name_ +
                               ", " + message + ", " + (userInfo ? xmlOf(*userInfo) : "nil") + ")");
    return platform::backend().sendCenterMessage(name_, message, userInfo);
}
