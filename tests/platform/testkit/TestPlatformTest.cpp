// The in-process test platform itself: its clock, its records, the power messages it
// delivers and the files it keeps. Other suites rely on each of these.
#include <AppSupport/AppSupport.h>
#include <UIKit/UIKit.h>
#include <backend/Backend.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "TestPlatform.h"

using namespace platform::testing;

namespace {

TEST(TestPlatformClock, SetsAndShowsLocalTime) {
    TestPlatform device;
    device.setTime("2026-12-07 17:01:37");
    EXPECT_EQ(device.timeText(), "2026-12-07 17:01:37");
    EXPECT_EQ(NSDate::date().description(), "2026-12-07 17:01:37");
    const NSDateComponents c = NSCalendar::currentCalendar().componentsFromDate(
        NSHourCalendarUnit | NSMinuteCalendarUnit | NSSecondCalendarUnit, NSDate::date());
    EXPECT_EQ(c.hour, 17);
    EXPECT_EQ(c.minute, 1);
    EXPECT_EQ(c.second, 37);
    device.advance(23 * 3600);
    EXPECT_EQ(device.timeText(), "2026-12-08 16:01:37");
}

TEST(TestPlatformClock, RejectsMalformedTimes) {
    TestPlatform device;
    for (const char* bad : {"", "17:01:37", "2026-12-07", "2026-12-07 17:01:37 extra", "tomorrow"})
        EXPECT_THROW(device.setTime(bad), std::invalid_argument) << bad;
}

TEST(TestPlatformLifetime, InstallsItselfAndLeavesAnEmptyRunLoopAndNoRoot) {
    std::string root;
    int fired = 0;
    {
        TestPlatform device;
        root = device.deviceRoot();
        EXPECT_EQ(&platform::processService(), &device.process());
        EXPECT_EQ(&platform::filesService(), &device.files());
        EXPECT_EQ(&platform::powerService(), &device.power());
        EXPECT_EQ(&platform::wakeService(), &device.wake());
        EXPECT_EQ(&platform::springBoardService(), &device.springBoard());
        EXPECT_TRUE(std::filesystem::is_directory(root));
        NSTimer::scheduledTimerWithTimeInterval(
            1, [&](NSTimer*) { ++fired; }, nullptr, true);
    }
    EXPECT_FALSE(std::filesystem::exists(root));
    TestPlatform next;
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 5, false), kCFRunLoopRunFinished);
    EXPECT_EQ(fired, 0);
    EXPECT_NE(next.deviceRoot(), root);
}

TEST(TestPlatformRecords, KeepsCallsInOrderWithArguments) {
    TestPlatform device;
    device.setTime("2026-12-07 10:00:00");
    device.setSystemVersion("2.2.1");
    EXPECT_EQ(UIDevice::currentDevice().systemVersion(), "2.2.1");
    CPScheduleWakeAtDateWithIdentifier(NSDate::date(), "com.example");
    const WakeRequest booked{WakeAction::schedule, NSDate::date().timeIntervalSinceReferenceDate(),
                             "com.example"};
    const std::vector<Record> expected{SystemVersionRead{}, booked};
    EXPECT_EQ(device.calls(), expected);
    EXPECT_EQ(NSDate::dateWithTimeIntervalSinceReferenceDate(booked.date).description(),
              "2026-12-07 10:00:00");
    EXPECT_EQ(device.callsOf<SystemVersionRead>(), std::vector<SystemVersionRead>{{}});
    EXPECT_EQ(device.countCalls<StatusBarRequest>(), 0u);  // one kind only
    EXPECT_EQ(device.indicesOf<WakeRequest>(), std::vector<size_t>{1});
    device.clearRecords();
    EXPECT_TRUE(device.calls().empty());
    EXPECT_TRUE(device.wakeRequests().empty());
}

TEST(TestPlatformRecords, NothingKeptWhenRecordsAreOff) {
    TestPlatform device;
    device.setKeepRecords(false);
    UIDevice::currentDevice().systemVersion();
    CPScheduleWakeAtDateWithIdentifier(NSDate::date(), "com.example");
    EXPECT_TRUE(device.calls().empty());
    EXPECT_TRUE(device.wakeRequests().empty());
}

void recordMessage(void* refcon, io_service_t, natural_t type, void* argument) {
    auto* seen = static_cast<std::vector<std::pair<natural_t, long>>*>(refcon);
    seen->emplace_back(type, reinterpret_cast<long>(argument));
}

TEST(TestPlatformPower, DeliversMessagesToTheRegisteredCallbackAndRecordsAnswers) {
    TestPlatform device;
    EXPECT_FALSE(device.deliverPowerMessage(kIOMessageCanSystemSleep, 1));  // nobody listens
    std::vector<std::pair<natural_t, long>> seen;
    IONotificationPortRef port = nullptr;
    io_object_t notifier = 0;
    const io_connect_t connection =
        IORegisterForSystemPower(&seen, &port, recordMessage, &notifier);
    ASSERT_NE(connection, 0u);
    ASSERT_NE(notifier, 0u);
    EXPECT_TRUE(device.powerRegistered());
    CFRunLoopAddSource(CFRunLoopGetCurrent(), IONotificationPortGetRunLoopSource(port),
                       kCFRunLoopCommonModes);

    EXPECT_TRUE(device.deliverPowerMessage(kIOMessageCanSystemSleep, 77));
    EXPECT_TRUE(device.deliverPowerMessage(kIOMessageSystemHasPoweredOn, 78));
    const std::vector<std::pair<natural_t, long>> expected{{kIOMessageCanSystemSleep, 77},
                                                           {kIOMessageSystemHasPoweredOn, 78}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(device.runOnce(), kCFRunLoopRunTimedOut);  // the descriptor went quiet again

    IOCancelPowerChange(connection, 77);
    IOAllowPowerChange(connection, 79);
    const std::vector<PowerAnswer> answers{{connection, 77, false}, {connection, 79, true}};
    EXPECT_EQ(device.powerAnswers(), answers);

    EXPECT_EQ(IODeregisterForSystemPower(&notifier), kIOReturnSuccess);
    EXPECT_EQ(IOServiceClose(connection), KERN_SUCCESS);
    EXPECT_FALSE(device.powerRegistered());
    CFRunLoopRemoveSource(CFRunLoopGetCurrent(), IONotificationPortGetRunLoopSource(port),
                          kCFRunLoopCommonModes);
    IONotificationPortDestroy(port);
}

TEST(TestPlatformPower, RegistrationAndDeregistrationFailOnRequestOnce) {
    TestPlatform device;
    device.failNextPowerRegistration();
    IONotificationPortRef port = nullptr;
    io_object_t notifier = 0;
    EXPECT_EQ(IORegisterForSystemPower(nullptr, &port, recordMessage, &notifier), 0u);
    EXPECT_EQ(port, nullptr);
    const io_connect_t connection =
        IORegisterForSystemPower(nullptr, &port, recordMessage, &notifier);
    ASSERT_NE(connection, 0u);
    device.failNextPowerDeregistration();
    EXPECT_NE(IODeregisterForSystemPower(&notifier), kIOReturnSuccess);
    EXPECT_EQ(IODeregisterForSystemPower(&notifier), kIOReturnSuccess);
    IOServiceClose(connection);
    IONotificationPortDestroy(port);
}

TEST(TestPlatformWakeList, BookingsAndWithdrawalsEditTheListInWholeSeconds) {
    TestPlatform device;
    device.setTime("2026-12-07 10:00:00");
    device.writeAutoWakeEntries({{NSDate::date().timeIntervalSinceReferenceDate() + 60, "other"}});
    const CFAbsoluteTime at = NSDate::date().timeIntervalSinceReferenceDate() + 3600.4;
    CPScheduleWakeAtDateWithIdentifier(NSDate::dateWithTimeIntervalSinceReferenceDate(at), "mine");
    auto entries = device.autoWakeEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1], (AutoWakeEntry{std::floor(at), "mine"}));
    // Withdrawing with the time read back from the list removes that entry only.
    CPCancelWakeAtDateWithIdentifier(
        NSDate::dateWithTimeIntervalSinceReferenceDate(entries[1].time), "mine");
    entries = device.autoWakeEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].scheduledBy, "other");
    ASSERT_EQ(device.wakeRequests().size(), 2u);
    EXPECT_EQ(device.wakeRequests()[0].action, WakeAction::schedule);
    EXPECT_EQ(device.wakeRequests()[1].action, WakeAction::cancel);
}

TEST(TestPlatformWakeList, ForeignListIsLeftAsItIs) {
    TestPlatform device;
    device.writeAutoWakeFile("garbage");
    CPScheduleWakeAtDateWithIdentifier(NSDate::date(), "mine");
    EXPECT_EQ(device.readFile(TestPlatform::kAutoWakePath), "garbage");
    EXPECT_EQ(device.wakeRequests().size(), 1u);
}

TEST(TestPlatformStatusBar, RecordsAllThreeRoutes) {
    TestPlatform device;
    UIApplication app;
    app.addStatusBarImageNamed("A");
    device.springBoard().statusBarItem(9, "B", true, 0);
    NSDictionary show;
    show.setObjectForKey("C", "item");
    show.setObjectForKey(NSNumber::numberWithInt(1), "properties");
    CPDistributedMessagingCenter::centerNamed("com.apple.springboard.libstatusbar")
        .sendMessageNameUserInfo("setProperties:userInfo:", &show);
    const std::vector<StatusBarRequest> expected{{kRouteApplication, "A", true, 0, 0},
                                                 {kRouteSpringBoardServices, "B", true, 9, 0},
                                                 {kRouteLibStatusBar, "C", true, 0, 0}};
    EXPECT_EQ(device.statusBarRequests(), expected);
    ASSERT_EQ(device.centerMessages().size(), 1u);
    EXPECT_EQ(device.centerMessages()[0].userInfo->GetSize(), 2u);
    EXPECT_NE(device.centerMessages()[0].userInfoXml.find("<key>properties</key>"),
              std::string::npos);
    // The items shown are what the requests of every route left.
    EXPECT_EQ(device.springBoard().statusBarItems(), (std::vector<std::string>{"A", "B", "C"}));
    app.removeStatusBarImageNamed("A");
    EXPECT_EQ(device.springBoard().statusBarItems(), (std::vector<std::string>{"B", "C"}));
}

}  // namespace
