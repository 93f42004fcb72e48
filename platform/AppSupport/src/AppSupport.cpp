#include <AppSupport/AppSupport.h>
#include <backend/Backend.h>
#include <backend/Probes.h>
#include <base/PlistFile.h>

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

namespace {
// The message's userInfo as the property list the service carries: Foundation writes it, and
// the list it wrote is read back as the service's own.
std::unique_ptr<PList::Dictionary> propertyList(const NSDictionary& userInfo) {
    const NSData xml = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        userInfo, NSPropertyListXMLFormat_v1_0, nullptr);
    std::unique_ptr<PList::Node> node = base::parsePlist(xml.bytes(), nullptr);
    if (!node || node->GetType() != PLIST_DICT) return nullptr;
    return std::unique_ptr<PList::Dictionary>(static_cast<PList::Dictionary*>(node.release()));
}
}  // namespace

BOOL CPDistributedMessagingCenter::sendMessageNameUserInfo(const NSString& message,
                                                           const NSDictionary* userInfo) const {
    const std::unique_ptr<PList::Dictionary> payload = userInfo ? propertyList(*userInfo) : nullptr;
    return platform::springBoardService().sendCenterMessage(name_, message, payload.get());
}
