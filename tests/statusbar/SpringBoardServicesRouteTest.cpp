// The iPhone OS 3 route: the library opened by its device path, the port kept from the last
// show, and a missing library or function skipped rather than called.
#include <gtest/gtest.h>

#include "StatusBarTestSupport.h"

using namespace platform::testing;
using statusbar_test::installedHandler;
using statusbar_test::kIconName;
using statusbar_test::namedController;
using statusbar_test::requestsOf;

namespace {

TEST(SpringBoardServicesRoute, ShowAsksThePortAndPassesNameAndZero) {
    TestPlatform device;
    device.installSpringBoardServices(SBS_LIBRARY);
    device.setSpringBoardServerPort(0x4242);
    namedController()->addIcon();
    EXPECT_GE(device.countCalls<SpringBoardPortRequest>(), 1u);
    EXPECT_EQ(requestsOf(device, kRouteSpringBoardServices, true),
              (std::vector<StatusBarRequest>{
                  {kRouteSpringBoardServices, "VigilantPro", true, 16962, 0}}));
    EXPECT_EQ(
        device.statusBarRequests(),
        (std::vector<StatusBarRequest>{{kRouteSpringBoardServices, kIconName, true, 0x4242, 0}}));
}

TEST(SpringBoardServicesRoute, HideUsesThePortOfTheLastShowWithoutAskingAgain) {
    TestPlatform device;
    device.installSpringBoardServices(SBS_LIBRARY);
    StatusBarController* controller = namedController();
    device.setSpringBoardServerPort(0x1111);
    controller->addIcon();
    device.setSpringBoardServerPort(0x2222);
    controller->addIcon();
    device.setSpringBoardServerPort(0x3333);  // SpringBoard restarted: not asked by a hide
    device.clearRecords();
    controller->removeIcon();
    EXPECT_EQ(device.countCalls<SpringBoardPortRequest>(), 0u);
    EXPECT_EQ(
        device.statusBarRequests(),
        (std::vector<StatusBarRequest>{{kRouteSpringBoardServices, kIconName, false, 0x2222, 0}}));
    EXPECT_EQ(StatusBarController::springBoardPort(), 0x2222u);
}

TEST(SpringBoardServicesRoute, MissingLibraryIsSkippedAndTheHandlersStillInstalled) {
    TestPlatform device;  // nothing at the library's device path
    StatusBarController* controller = namedController();
    controller->addIcon();
    controller->removeIcon();
    EXPECT_TRUE(device.statusBarRequests().empty());
    EXPECT_EQ(installedHandler(SIGTERM), &removeIcon);
    EXPECT_EQ(installedHandler(SIGINT), &removeIcon);
}

TEST(SpringBoardServicesRoute, LibraryWithoutRemoveShowsButNeverCallsAMissingHide) {
    TestPlatform device;
    device.installSpringBoardServices(SBS_LIBRARY_WITHOUT_REMOVE);
    StatusBarController* controller = namedController();
    controller->addIcon();
    controller->removeIcon();
    EXPECT_EQ(device.statusBarRequests(),
              (std::vector<StatusBarRequest>{{kRouteSpringBoardServices, kIconName, true,
                                              TestPlatform::kDefaultSpringBoardPort, 0}}));
    EXPECT_EQ(requestsOf(device, kRouteSpringBoardServices, false).size(), 0u);
}

TEST(SpringBoardServicesRoute, LibraryIsOpenedAndClosedAtEveryCall) {
    TestPlatform device;
    device.installSpringBoardServices(SBS_LIBRARY);
    StatusBarController* controller = namedController();
    controller->addIcon();
    // Replacing the library between calls takes effect: nothing of it is kept open.
    device.installSpringBoardServices(SBS_LIBRARY_WITHOUT_REMOVE);
    controller->removeIcon();
    EXPECT_EQ(requestsOf(device, kRouteSpringBoardServices, false).size(), 0u);
    device.installSpringBoardServices(SBS_LIBRARY);
    controller->removeIcon();
    EXPECT_EQ(requestsOf(device, kRouteSpringBoardServices, false).size(), 1u);
}

TEST(TerminationHandlers, EveryAddInstallsThemAndRemoveLeavesThem) {
    TestPlatform device;
    device.setSystemVersion("4.0");
    StatusBarController* controller = namedController();
    controller->addIcon();
    signal(SIGTERM, SIG_DFL);  // a second add puts them back
    controller->addIcon();
    EXPECT_EQ(installedHandler(SIGTERM), &removeIcon);
    EXPECT_EQ(installedHandler(SIGINT), &removeIcon);
    struct sigaction current {};
    sigaction(SIGTERM, nullptr, &current);
    constexpr int kRestorer = 0x04000000;  // the C library adds its own return trampoline
    EXPECT_EQ(current.sa_flags & ~kRestorer, 0);
    for (int s = 1; s < NSIG; ++s) EXPECT_FALSE(sigismember(&current.sa_mask, s) == 1) << s;
    controller->removeIcon();
    EXPECT_EQ(installedHandler(SIGTERM), &removeIcon);
    EXPECT_EQ(statusbar_test::requestsOf(device, true).size(), 2u);
}

}  // namespace
