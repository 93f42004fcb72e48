// The termination path: after the first addIcon, SIGTERM or SIGINT hides the image once, on
// the route and with the port of the last show, and the process ends with status 0. Before
// it, the signals keep their default effect. Each case runs in a fresh process.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "StatusBarTestSupport.h"

using namespace platform::testing;
using statusbar_test::namedController;

namespace {

// The child's platform; it is never destroyed, so the report at exit can still read it.
TestPlatform* g_device = nullptr;

// Printed at exit: what the termination path sent, for the parent to match.
void reportHides() {
    const auto hides = statusbar_test::requestsOf(*g_device, false);
    std::fprintf(stderr, "hides=%zu", hides.size());
    for (const auto& h : hides)
        std::fprintf(stderr, " [%s %s port=%u]", h.route.c_str(), h.item.c_str(), h.port);
    std::fprintf(stderr, " shows=%zu\n", statusbar_test::requestsOf(*g_device, true).size());
}

TestPlatform& childDevice(const char* version) {
    g_device = new TestPlatform();
    g_device->setSystemVersion(version);
    g_device->installSpringBoardServices(SBS_LIBRARY);
    std::atexit(reportHides);
    return *g_device;
}

// Serves the run loop until the termination path ends the process; it never returns.
[[noreturn]] void runUntilTerminated(TestPlatform& device) {
    for (int i = 0; i < 100; ++i) device.runOnce();
    std::fprintf(stderr, "the signal was not handled\n");
    std::_Exit(3);
}

struct TerminationCase {
    const char* name;
    const char* version;
    int signal;
    const char* expectedHides;
};
// Test names show the case, not its bytes.
void PrintTo(const TerminationCase& c, std::ostream* os) { *os << c.name; }

class TerminationAfterShow : public ::testing::TestWithParam<TerminationCase> {};

TEST_P(TerminationAfterShow, HidesOnceOnTheSameRouteThenExitsZero) {
    const TerminationCase& c = GetParam();
    EXPECT_EXIT(
        {
            TestPlatform& device = childDevice(c.version);
            device.setSpringBoardServerPort(0x1234);
            namedController()->addIcon();
            device.setSpringBoardServerPort(0x9999);  // the hide must not ask again
            raise(c.signal);
            runUntilTerminated(device);
        },
        ::testing::ExitedWithCode(0), c.expectedHides);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TerminationAfterShow,
    ::testing::Values(
        TerminationCase{"TermOnOS3", "3.1.3", SIGTERM,
                        "^hides=1 \\[SpringBoardServices VigilantPro port=4660\\] shows=1\n"},
        TerminationCase{"IntOnOS3", "3.1.3", SIGINT,
                        "^hides=1 \\[SpringBoardServices VigilantPro port=4660\\] shows=1\n"},
        TerminationCase{"TermOnOS2", "2.2.1", SIGTERM,
                        "^hides=1 \\[UIApplication VigilantPro port=0\\] shows=1\n"},
        TerminationCase{"IntOnOS4", "4.0", SIGINT,
                        "^hides=1 \\[libstatusbar VigilantPro port=0\\] shows=1\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TerminationAfterShow, SignalDuringTheFirstShowStillHides) {
    // The signal comes while the show request is on its way, before any handler existed.
    struct SignallingDevice : TestPlatform {
        SignallingDevice() {
            observeRecords([](const Record& record) {
                const auto* request = std::get_if<StatusBarRequest>(&record);
                if (request && request->route == kRouteSpringBoardServices && request->show)
                    raise(SIGTERM);
            });
        }
    };
    EXPECT_EXIT(
        {
            auto* device = new SignallingDevice();
            g_device = device;
            device->installSpringBoardServices(SBS_LIBRARY);
            std::atexit(reportHides);
            namedController()->addIcon();
            runUntilTerminated(*device);
        },
        ::testing::ExitedWithCode(0), "^hides=1 \\[SpringBoardServices VigilantPro port=5379\\]");
}

TEST(TerminationAfterShow, ManySignalsStillHideOnce) {
    EXPECT_EXIT(
        {
            TestPlatform& device = childDevice("4.0");
            namedController()->addIcon();
            raise(SIGTERM);
            raise(SIGINT);
            raise(SIGTERM);
            runUntilTerminated(device);
        },
        ::testing::ExitedWithCode(0), "^hides=1 ");
}

class TerminationBeforeShow : public ::testing::TestWithParam<int> {};

TEST_P(TerminationBeforeShow, SignalKeepsItsDefaultEffect) {
    const int signal = GetParam();
    EXPECT_EXIT(
        {
            TestPlatform& device = childDevice("3.1.3");
            namedController();  // named, but nothing shown
            raise(signal);
            runUntilTerminated(device);
        },
        ::testing::KilledBySignal(signal), "");
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationBeforeShow, ::testing::Values(SIGTERM, SIGINT));

TEST(TerminationAfterShow, SignalIsServedByTheDaemonsOwnRunPeriod) {
    // The daemon waits in 10 s periods that end after one handled source: the pipe is one.
    EXPECT_EXIT(
        {
            TestPlatform& device = childDevice("4.0");
            namedController()->addIcon();
            NSTimer::scheduledTimerWithTimeInterval(
                20.0, [](NSTimer*) {}, nullptr, true);
            raise(SIGTERM);
            CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true);
            (void)device;
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "^hides=1 ");
}

}  // namespace
