// The seam per service: a test may replace one service alone and the frameworks reach it
// without starting the device's others; and the device's services introduce the process to
// simd once.
#include <AppSupport/AppSupport.h>
#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/Foundation.h>
#include <backend/Backend.h>
#include <base/AtomicFile.h>
#include <base/PlistFile.h>
#include <base/ScopedFd.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wire/DeviceClock.h>
#include <wire/DevicePaths.h>
#include <wire/Wire.h>

#include <cstdlib>
#include <filesystem>

#include "CallLog.h"
#include "TestProcess.h"

namespace {

using namespace platform::testing;

// Outside any device: a device service used by mistake would end the process with status 69.
void leaveTheDevice() { unsetenv(wire::paths::kRootVariable); }

TEST(ServiceSeam, TheProcessServiceAloneRunsTimersAndTheClock) {
    EXPECT_EXIT(
        {
            leaveTheDevice();
            CallLog log;
            TestProcess clock(log);
            platform::ServiceInUse<platform::ProcessService> inUse(clock);
            clock.setTime("2026-12-07 10:00:00");
            int fired = 0;
            NSTimer::scheduledTimerWithTimeInterval(
                5, [&](NSTimer*) { ++fired; }, nullptr, false);
            CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10, false);
            const bool ok = fired == 1 && clock.timeText() == "2026-12-07 10:00:05" &&
                            NSDate::date().description() == "2026-12-07 10:00:05" &&
                            log.count<platform::probe::TimerScheduled>() == 1;
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// A wake service that keeps the bookings in memory only.
class BookedWakes : public platform::WakeService {
  public:
    bool schedule(double date, const std::string& identifier) override {
        booked.emplace_back(date, identifier);
        return true;
    }
    bool cancel(double, const std::string&) override { return false; }
    std::vector<std::pair<double, std::string>> booked;
};

TEST(ServiceSeam, TheWakeServiceAloneTakesBookings) {
    EXPECT_EXIT(
        {
            leaveTheDevice();
            BookedWakes wakes;
            platform::ServiceInUse<platform::WakeService> inUse(wakes);
            const NSDate at = NSDate::dateWithTimeIntervalSinceReferenceDate(1000);
            const bool ok = CPScheduleWakeAtDateWithIdentifier(at, "mine") &&
                            !CPCancelWakeAtDateWithIdentifier(at, "mine") &&
                            wakes.booked.size() == 1 && wakes.booked[0].first == 1000 &&
                            wakes.booked[0].second == "mine";
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(ServiceSeam, AServiceInUseGivesTheOneBeforeItBack) {
    CallLog log;
    TestProcess outer(log);
    TestProcess inner(log);
    platform::ServiceInUse<platform::ProcessService> first(outer);
    {
        platform::ServiceInUse<platform::ProcessService> second(inner);
        EXPECT_EQ(&platform::processService(), &inner);
    }
    EXPECT_EQ(&platform::processService(), &outer);
}

TEST(DeviceServices, IntroduceTheProcessToSimdOnce) {
    std::string folder = testing::TempDir() + "seam-device-XXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    wire::DeviceClock clock{wire::hostNow(), wire::hostNow(), 1};
    std::filesystem::create_directories(folder + wire::paths::kRunFolder);
    ASSERT_TRUE(
        base::writeFileAtomically(folder + wire::paths::kClock, base::plistToXml(clock.toPlist())));
    EXPECT_EXIT(
        {
            base::LocalSocket listening = wire::listenAsService(folder, "simd");
            if (!listening) std::_Exit(2);
            setenv(wire::paths::kRootVariable, folder.c_str(), 1);
            CFAbsoluteTimeGetCurrent();  // the first use of a device service
            base::ScopedFd simd(accept(listening.get(), nullptr, nullptr));
            int hellos = 0;
            bool withPid = true;
            while (auto message = wire::receiveMessageWithin(simd.get(), 300)) {
                if (base::stringAt(*message, "op").value_or("") != "hello") continue;
                ++hellos;
                withPid = withPid && base::integerAt(*message, "pid") == getpid();
            }
            std::_Exit(hellos == 1 && withPid ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    std::filesystem::remove_all(folder);
}

}  // namespace
