// The power sources from the battery service: the snapshot is an array of the descriptions,
// and each description stands for its source in the list, as a source handle.
#include <CoreFoundationInternal.h>
#include <IOKit/ps/IOPowerSources.h>
#include <backend/Backend.h>

#include <iterator>
#include <memory>
#include <string_view>

static_assert(std::string_view(kIOPSNotifyAnyPowerSource) == platform::kPowerSourcesChanged,
              "IOKit listens for the name the battery service posts");

namespace {

// A description holding its own counted values.
CFDictionaryRef describe(const platform::BatteryService::Battery& battery) {
    const int maxCapacity = 100;
    CFNumberRef current = CFNumberCreate(nullptr, kCFNumberIntType, &battery.level);
    CFNumberRef max = CFNumberCreate(nullptr, kCFNumberIntType, &maxCapacity);
    const void* keys[] = {
        kIOPSNameKey,        kIOPSTypeKey,       kIOPSIsPresentKey,       kIOPSCurrentCapacityKey,
        kIOPSMaxCapacityKey, kIOPSIsChargingKey, kIOPSPowerSourceStateKey};
    const void* values[] = {"InternalBattery-0",
                            kIOPSInternalBatteryType,
                            kCFBooleanTrue,
                            current,
                            max,
                            battery.charging ? kCFBooleanTrue : kCFBooleanFalse,
                            battery.plugged ? kIOPSACPowerValue : kIOPSBatteryPowerValue};
    CFDictionaryRef description =
        CFDictionaryCreate(nullptr, keys, values, std::size(keys), &kCFTypeDictionaryKeyCallBacks,
                           &kCFTypeDictionaryValueCallBacks);
    CFRelease(current);
    CFRelease(max);
    return description;
}

bool isSnapshot(CFTypeRef blob) { return blob && CFGetTypeID(blob) == CFArrayGetTypeID(); }

// A registration for the change notification, given up with the source that holds it.
struct ChangeRegistration {
    uint64_t token = 0;
    ~ChangeRegistration() {
        if (token) platform::notifyService().cancel(token);
    }
};

}  // namespace

CFTypeRef IOPSCopyPowerSourcesInfo() {
    const platform::BatteryService::Battery battery = platform::batteryService().battery();
    if (!battery.known) return CFArrayCreate(nullptr, nullptr, 0, &kCFTypeArrayCallBacks);
    CFDictionaryRef description = describe(battery);
    const void* sources[] = {description};
    CFArrayRef blob = CFArrayCreate(nullptr, sources, 1, &kCFTypeArrayCallBacks);
    CFRelease(description);
    return blob;
}

CFArrayRef IOPSCopyPowerSourcesList(CFTypeRef blob) {
    if (!isSnapshot(blob)) return nullptr;
    return static_cast<CFArrayRef>(CFRetain(blob));  // the list is the snapshot's descriptions
}

CFDictionaryRef IOPSGetPowerSourceDescription(CFTypeRef blob, CFTypeRef ps) {
    if (!isSnapshot(blob) || !ps) return nullptr;
    const auto snapshot = static_cast<CFArrayRef>(blob);
    for (CFIndex i = 0; i < CFArrayGetCount(snapshot); ++i)
        if (CFArrayGetValueAtIndex(snapshot, i) == ps) return static_cast<CFDictionaryRef>(ps);
    return nullptr;
}

CFRunLoopSourceRef IOPSNotificationCreateRunLoopSource(IOPowerSourceCallbackType callback,
                                                       void* context) {
    const platform::NotifyService::Registration registration =
        platform::notifyService().registerFor(platform::kPowerSourcesChanged);
    if (registration.token == 0) return nullptr;
    auto held = std::make_shared<ChangeRegistration>();
    held->token = registration.token;
    return platform::createReleasableDescriptorSource(
        registration.eventFd, [held, callback, context] {
            // Changes that came together are told once, as the platform coalesces them.
            if (platform::notifyService().takePosts(held->token) > 0 && callback) callback(context);
        });
}
