#include "InternalBattery.h"

#include <IOKit/ps/IOPowerSources.h>

#include <memory>

namespace {

// Holds what a Copy or Create call handed over, and gives it back on every path.
struct Release {
    void operator()(const void* cf) const { CFRelease(static_cast<CFTypeRef>(cf)); }
};
using Held = std::unique_ptr<const void, Release>;

const void* valueOf(CFDictionaryRef description, const char* key, CFTypeID type) {
    const void* value = CFDictionaryGetValue(description, key);
    return value && CFGetTypeID(value) == type ? value : nullptr;
}

bool intValue(CFDictionaryRef description, const char* key, int* value) {
    const auto number = static_cast<CFNumberRef>(valueOf(description, key, CFNumberGetTypeID()));
    return number && CFNumberGetValue(number, kCFNumberIntType, value);
}

bool isInternalBattery(CFDictionaryRef description) {
    const void* type = valueOf(description, kIOPSTypeKey, CFStringGetTypeID());
    const auto present =
        static_cast<CFBooleanRef>(valueOf(description, kIOPSIsPresentKey, CFBooleanGetTypeID()));
    return type && CFEqual(type, kIOPSInternalBatteryType) &&
           (!present || CFBooleanGetValue(present));
}

}  // namespace

InternalBattery readInternalBattery() {
    InternalBattery battery;
    const Held blob(IOPSCopyPowerSourcesInfo());
    const Held list(IOPSCopyPowerSourcesList(blob.get()));
    const auto sources = static_cast<CFArrayRef>(list.get());
    for (CFIndex i = 0; sources && i < CFArrayGetCount(sources); ++i) {
        CFDictionaryRef description =
            IOPSGetPowerSourceDescription(blob.get(), CFArrayGetValueAtIndex(sources, i));
        int current = 0;
        int max = 0;
        if (!description || !isInternalBattery(description) ||
            !intValue(description, kIOPSCurrentCapacityKey, &current) ||
            !intValue(description, kIOPSMaxCapacityKey, &max) || max <= 0)
            continue;  // a source that cannot say its charge is no help
        battery.known = true;
        battery.percent = static_cast<int>(static_cast<long long>(current) * 100 / max);
        const void* state = valueOf(description, kIOPSPowerSourceStateKey, CFStringGetTypeID());
        battery.onCharger = state && CFEqual(state, kIOPSACPowerValue);
        break;
    }
    return battery;
}
