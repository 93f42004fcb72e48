// The Darwin notify center: a post reaches its observers on the run loop, never before it
// runs, once for posts that came together, with the observer and the name; a removed observer
// (even one that removes itself in its callback) hears nothing more; the process's own posts
// reach it too.
#include <gtest/gtest.h>
#include <notify_keys.h>
#include <wire/messages/Notify.h>

#include <string>
#include <vector>

#include "TestPlatform.h"

using platform::testing::NotifyCancellation;
using platform::testing::NotifyPost;
using platform::testing::TestPlatform;

namespace {

// The system's names are the ones simd posts.
static_assert(std::string_view(kNotifyClockSet) == wire::kClockSetNotification);
static_assert(std::string_view(kNotifyTimeZoneChange) == wire::kTimeZoneNotification);

constexpr const char* kName = "com.quillmoor.test";

struct Heard {
    std::vector<std::string> names;
    bool sawOnlyNulls = true;
    bool removeOnCall = false;
};

void hear(CFNotificationCenterRef center, void* observer, CFStringRef name, const void* object,
          CFDictionaryRef userInfo) {
    auto* heard = static_cast<Heard*>(observer);
    heard->names.push_back(name);
    heard->sawOnlyNulls = heard->sawOnlyNulls && !object && !userInfo;
    EXPECT_EQ(center, CFNotificationCenterGetDarwinNotifyCenter());
    if (heard->removeOnCall) CFNotificationCenterRemoveEveryObserver(center, observer);
}

void observe(Heard& heard, const char* name) {
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), &heard, hear, name,
                                    nullptr, CFNotificationSuspensionBehaviorDeliverImmediately);
}

TEST(DarwinNotifyCenter, DeliversOnTheRunLoopOnceForPostsThatCameTogether) {
    TestPlatform device;
    Heard heard;
    observe(heard, kName);
    observe(heard, kName);  // the same observation
    EXPECT_EQ(device.notify().registeredNames(), std::vector<std::string>{kName});

    EXPECT_EQ(device.notify().deliver(kName), 1u);
    EXPECT_EQ(device.notify().deliver(kName), 1u);
    EXPECT_TRUE(heard.names.empty());  // nothing before the run loop runs
    device.runOnce();
    EXPECT_EQ(heard.names, std::vector<std::string>{kName});
    EXPECT_TRUE(heard.sawOnlyNulls);
    device.runOnce();
    EXPECT_EQ(heard.names.size(), 1u);

    EXPECT_EQ(device.postDarwinNotification("com.quillmoor.other"), 0u);
    EXPECT_EQ(heard.names.size(), 1u);
}

TEST(DarwinNotifyCenter, RemovedObserverHearsNothingMore) {
    TestPlatform device;
    Heard removed, kept;
    observe(removed, kName);
    observe(removed, kNotifyClockSet);
    observe(kept, kName);
    CFNotificationCenterRemoveObserver(CFNotificationCenterGetDarwinNotifyCenter(), &removed, kName,
                                       nullptr);
    EXPECT_EQ(device.postDarwinNotification(kName), 1u);
    EXPECT_TRUE(removed.names.empty());
    EXPECT_EQ(kept.names, std::vector<std::string>{kName});

    EXPECT_EQ(device.postDarwinNotification(kNotifyClockSet), 1u);  // its other name stays
    EXPECT_EQ(removed.names, std::vector<std::string>{kNotifyClockSet});
    CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), &removed);
    EXPECT_EQ(device.postDarwinNotification(kNotifyClockSet), 0u);
    EXPECT_EQ(device.countCalls<NotifyCancellation>(), 2u);
}

TEST(DarwinNotifyCenter, ObserverMayRemoveItselfInItsCallback) {
    TestPlatform device;
    Heard first, second;
    first.removeOnCall = second.removeOnCall = true;
    observe(first, kName);
    observe(second, kName);
    EXPECT_EQ(device.postDarwinNotification(kName), 2u);
    device.runOnce();
    EXPECT_EQ(first.names.size(), 1u);
    EXPECT_EQ(second.names.size(), 1u);
    EXPECT_EQ(device.postDarwinNotification(kName), 0u);
    EXPECT_TRUE(device.notify().registeredNames().empty());
}

TEST(DarwinNotifyCenter, OwnPostReachesOwnObserver) {
    TestPlatform device;
    Heard heard;
    observe(heard, kName);
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), kName,
                                         nullptr, nullptr, true);
    EXPECT_EQ(device.callsOf<NotifyPost>(), std::vector<NotifyPost>{{kName}});
    device.runOnce();
    EXPECT_EQ(heard.names, std::vector<std::string>{kName});
}

}  // namespace
