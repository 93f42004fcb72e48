#include "LowBatteryWarning.h"

#include <IOKit/ps/IOPowerSources.h>

#include <memory>

namespace springboard {

namespace {

constexpr int kThresholds[] = {20, 10};

struct Release {
    void operator()(const void* cf) const { CFRelease(static_cast<CFTypeRef>(cf)); }
};
using Held = std::unique_ptr<const void, Release>;

const void* valueOf(CFDictionaryRef description, const char* key, CFTypeID type) {
    const void* value = CFDictionaryGetValue(description, key);
    return value && CFGetTypeID(value) == type ? value : nullptr;
}

int intValue(CFDictionaryRef description, const char* key) {
    const auto number = static_cast<CFNumberRef>(valueOf(description, key, CFNumberGetTypeID()));
    int value = -1;
    if (!number || !CFNumberGetValue(number, kCFNumberIntType, &value)) return -1;
    return value;
}

}  // namespace

LowBatteryWarning::~LowBatteryWarning() {
    if (!source_) return;
    CFRunLoopRemoveSource(runLoop_, source_, kCFRunLoopDefaultMode);
    CFRelease(source_);
}

void LowBatteryWarning::start() {
    source_ = IOPSNotificationCreateRunLoopSource(&LowBatteryWarning::powerSourcesChanged, this);
    runLoop_ = CFRunLoopGetCurrent();
    if (source_) CFRunLoopAddSource(runLoop_, source_, kCFRunLoopDefaultMode);
    lookAtBattery();
}

void LowBatteryWarning::powerSourcesChanged(void* context) {
    static_cast<LowBatteryWarning*>(context)->lookAtBattery();
}

void LowBatteryWarning::lookAtBattery() {
    const Held blob(IOPSCopyPowerSourcesInfo());
    const Held list(IOPSCopyPowerSourcesList(blob.get()));
    const auto sources = static_cast<CFArrayRef>(list.get());
    for (CFIndex i = 0; sources && i < CFArrayGetCount(sources); ++i) {
        CFDictionaryRef description =
            IOPSGetPowerSourceDescription(blob.get(), CFArrayGetValueAtIndex(sources, i));
        if (!description) continue;
        const void* type = valueOf(description, kIOPSTypeKey, CFStringGetTypeID());
        const int current = intValue(description, kIOPSCurrentCapacityKey);
        const int max = intValue(description, kIOPSMaxCapacityKey);
        if (!type || !CFEqual(type, kIOPSInternalBatteryType) || current < 0 || max <= 0) continue;
        const void* state = valueOf(description, kIOPSPowerSourceStateKey, CFStringGetTypeID());
        batteryIs(static_cast<int>(static_cast<long long>(current) * 100 / max),
                  state && CFEqual(state, kIOPSACPowerValue));
        return;
    }
}

void LowBatteryWarning::batteryIs(int percent, bool onCharger) {
    const std::optional<int> last = lastPercent_;
    lastPercent_ = percent;
    if (onCharger || !last) return;
    // One alert however many thresholds one look passed.
    for (int threshold : kThresholds)
        if (*last > threshold && percent <= threshold) {
            if (percent > 0) show_(alertBody(percent));
            return;
        }
}

std::string LowBatteryWarning::alertBody(int percent) {
    return "Low Battery\n" + std::to_string(percent) + "% of battery remaining";
}

}  // namespace springboard
