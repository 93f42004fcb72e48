// IOKit's power sources over the test backend's battery: a snapshot with one described source
// (none when no battery is known), the platform's keys and values, and a change source that
// calls back on the run loop once for changes that came together, and no more once released.
#include <IOKit/ps/IOPowerSources.h>
#include <gtest/gtest.h>

#include <string>

#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

int intValue(CFDictionaryRef description, const char* key) {
    int value = -1;
    EXPECT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(description, key)),
                                 kCFNumberIntType, &value));
    return value;
}

struct BatteryCase {
    const char* name;
    int level;
    bool plugged;
    bool charging;
    const char* state;
};
void PrintTo(const BatteryCase& c, std::ostream* os) { *os << c.name; }

class PowerSourceDescription : public ::testing::TestWithParam<BatteryCase> {};

TEST_P(PowerSourceDescription, CarriesTheLevelChargingAndPowerSourceState) {
    TestPlatform device;
    device.battery().set(GetParam().level, GetParam().plugged);
    CFTypeRef blob = IOPSCopyPowerSourcesInfo();
    CFArrayRef list = IOPSCopyPowerSourcesList(blob);
    ASSERT_EQ(CFArrayGetCount(list), 1);
    CFDictionaryRef description =
        IOPSGetPowerSourceDescription(blob, CFArrayGetValueAtIndex(list, 0));
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(intValue(description, kIOPSCurrentCapacityKey), GetParam().level);
    EXPECT_EQ(intValue(description, kIOPSMaxCapacityKey), 100);
    EXPECT_EQ(CFBooleanGetValue(
                  static_cast<CFBooleanRef>(CFDictionaryGetValue(description, kIOPSIsChargingKey))),
              GetParam().charging);
    EXPECT_TRUE(
        CFEqual(CFDictionaryGetValue(description, kIOPSPowerSourceStateKey), GetParam().state));
    EXPECT_EQ(IOPSGetPowerSourceDescription(blob, "not a source"), nullptr);
    CFRelease(list);
    CFRelease(blob);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PowerSourceDescription,
    ::testing::Values(BatteryCase{"unplugged", 22, false, false, kIOPSBatteryPowerValue},
                      BatteryCase{"charging", 40, true, true, kIOPSACPowerValue},
                      BatteryCase{"full on the charger", 100, true, false, kIOPSACPowerValue},
                      BatteryCase{"empty", 0, false, false, kIOPSBatteryPowerValue}));

TEST(PowerSources, ChangeSourceCallsBackOnTheRunLoopUntilReleased) {
    TestPlatform device;
    EXPECT_EQ(IOPSCopyPowerSourcesList(nullptr), nullptr);  // no blob, no list
    int calls = 0;
    CFRunLoopSourceRef source = IOPSNotificationCreateRunLoopSource(
        [](void* context) { ++*static_cast<int*>(context); }, &calls);
    ASSERT_NE(source, nullptr);
    CFRunLoopAddSource(CFRunLoopGetCurrent(), source, kCFRunLoopDefaultMode);

    device.battery().set(19, false);
    EXPECT_EQ(device.battery().postChange(), 1u);
    device.battery().postChange();
    EXPECT_EQ(calls, 0);  // not before the run loop runs
    device.runOnce();
    EXPECT_EQ(calls, 1);  // once for both

    CFRelease(source);
    EXPECT_EQ(device.battery().postChange(), 0u);  // the registration went with it
    device.runOnce();
    EXPECT_EQ(calls, 1);
}

TEST(CoreFoundationValues, CollectionsKeepTheirValuesAndNumbersTellWhatFits) {
    const int64_t big = 1LL << 40;
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
    const void* keys[] = {"n", "s"};
    const void* values[] = {number, "text"};
    CFDictionaryRef dict = CFDictionaryCreate(
        nullptr, keys, values, 2, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFRelease(number);            // the dictionary holds its own
    const std::string key = "n";  // found by text, not by pointer
    const auto held = static_cast<CFNumberRef>(CFDictionaryGetValue(dict, key.c_str()));
    EXPECT_EQ(CFGetTypeID(held), CFNumberGetTypeID());
    int32_t narrow = 7;
    EXPECT_FALSE(CFNumberGetValue(held, kCFNumberSInt32Type, &narrow));
    int64_t wide = 0;
    EXPECT_TRUE(CFNumberGetValue(held, kCFNumberSInt64Type, &wide));
    EXPECT_EQ(wide, big);
    EXPECT_EQ(CFGetTypeID(CFDictionaryGetValue(dict, "s")), CFStringGetTypeID());
    EXPECT_EQ(CFDictionaryGetValue(dict, "absent"), nullptr);
    EXPECT_EQ(CFDictionaryGetCount(dict), 2);
    CFRelease(dict);
}

}  // namespace
