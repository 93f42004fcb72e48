// The route choice by system version, tested afresh at every call, and what each route sends.
#include <gtest/gtest.h>

#include "StatusBarTestSupport.h"

using namespace platform::testing;
using statusbar_test::kIconName;
using statusbar_test::namedController;

namespace {

struct RouteCase {
    const char* version;
    const char* route;
    size_t versionReadsPerCall;  // the second prefix test reads the version again
};
// Test names show the case, not its bytes.
void PrintTo(const RouteCase& c, std::ostream* os) { *os << "\"" << c.version << "\""; }

class RouteByVersion : public ::testing::TestWithParam<RouteCase> {};

TEST_P(RouteByVersion, AddThenRemoveTakeTheVersionsRoute) {
    TestPlatform device;
    device.installSpringBoardServices(SBS_LIBRARY);
    device.setSystemVersion(GetParam().version);
    StatusBarController* controller = namedController();

    device.clearRecords();
    controller->addIcon();
    EXPECT_EQ(device.countCalls<SystemVersionRead>(), GetParam().versionReadsPerCall);
    controller->removeIcon();

    const bool viaServices = std::string(GetParam().route) == kRouteSpringBoardServices;
    const mach_port_t port = viaServices ? TestPlatform::kDefaultSpringBoardPort : 0;
    const std::vector<StatusBarRequest> expected{{GetParam().route, kIconName, true, port, 0},
                                                 {GetParam().route, kIconName, false, port, 0}};
    EXPECT_EQ(device.statusBarRequests(), expected);
    EXPECT_EQ(device.countCalls<SystemVersionRead>(), 2 * GetParam().versionReadsPerCall);
}

INSTANTIATE_TEST_SUITE_P(Table, RouteByVersion,
                         ::testing::Values(RouteCase{"2.2.1", kRouteApplication, 1},
                                           RouteCase{"2.0", kRouteApplication, 1},
                                           RouteCase{"3.1.3", kRouteSpringBoardServices, 2},
                                           RouteCase{"3.0", kRouteSpringBoardServices, 2},
                                           RouteCase{"4.0", kRouteLibStatusBar, 2},
                                           RouteCase{"4.2.1", kRouteLibStatusBar, 2},
                                           RouteCase{"5.1", kRouteLibStatusBar, 2},
                                           RouteCase{"", kRouteLibStatusBar, 2},
                                           RouteCase{"23.0", kRouteApplication, 1}),
                         [](const auto& info) {
                             std::string name = std::string("v") + info.param.version;
                             for (char& c : name)
                                 if (c == '.') c = '_';
                             return name == "v" ? std::string("empty") : name;
                         });

TEST(RouteByVersion, VersionIsAskedAtEveryCallSoAChangeTakesEffectAtOnce) {
    TestPlatform device;
    StatusBarController* controller = namedController();
    device.setSystemVersion("4.0");
    controller->addIcon();
    device.setSystemVersion("2.2.1");
    controller->addIcon();
    ASSERT_EQ(device.statusBarRequests().size(), 2u);
    EXPECT_EQ(device.statusBarRequests()[0].route, kRouteLibStatusBar);
    EXPECT_EQ(device.statusBarRequests()[1].route, kRouteApplication);
}

TEST(RouteByVersion, EveryAddSendsAgainAndTheNameIsReadEachTime) {
    TestPlatform device;
    device.setSystemVersion("4.2.1");
    StatusBarController* controller = namedController("First");
    controller->addIcon();
    controller->addIcon();
    controller->setIconName("Second");
    controller->removeIcon();
    controller->removeIcon();
    const std::vector<StatusBarRequest> expected{{kRouteLibStatusBar, "First", true, 0, 0},
                                                 {kRouteLibStatusBar, "First", true, 0, 0},
                                                 {kRouteLibStatusBar, "Second", false, 0, 0},
                                                 {kRouteLibStatusBar, "Second", false, 0, 0}};
    EXPECT_EQ(device.statusBarRequests(), expected);
    EXPECT_EQ(controller->iconName(), "Second");
}

TEST(ApplicationRoute, HideWithoutAnEarlierShowInTheProcessDoesNothing) {
    // A fresh process: no earlier addIcon may have created the application object.
    EXPECT_EXIT(
        {
            TestPlatform device;
            device.setSystemVersion("2.2.1");
            namedController()->removeIcon();
            const bool nothing =
                device.statusBarRequests().empty() &&
                statusbar_test::requestsOf(device, kRouteApplication, false).empty();
            namedController()->addIcon();
            namedController()->removeIcon();
            std::_Exit(nothing && device.statusBarRequests().size() == 2 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(ApplicationRoute, OneApplicationObjectServesEveryCall) {
    TestPlatform device;
    device.setSystemVersion("2.2.1");
    StatusBarController* controller = namedController();
    for (int i = 0; i < 3; ++i) controller->addIcon();
    controller->removeIcon();
    EXPECT_EQ(statusbar_test::requestsOf(device, kRouteApplication, true).size(), 3u);
    EXPECT_EQ(statusbar_test::requestsOf(device, kRouteApplication, false),
              (std::vector<StatusBarRequest>{{kRouteApplication, "VigilantPro", false, 0, 0}}));
}

}  // namespace
