// The libstatusbar protocol: the centre, the message and both payloads, exactly.
#include <gtest/gtest.h>

#include "LibStatusBar.h"
#include "StatusBarTestSupport.h"

using namespace platform::testing;

namespace {

constexpr const char* kCenter = "com.apple.springboard.libstatusbar";
constexpr const char* kMessage = "setProperties:userInfo:";

std::string stringEntry(const NSDictionary& dict, const std::string& key) {
    const NSObject object = dict.objectForKey(key);
    if (!object) return "(absent)";
    return NSDynamicCast<NSString>(object).value_or("(not a string)");
}

class LibStatusBarPayloads : public ::testing::TestWithParam<std::string> {};

TEST_P(LibStatusBarPayloads, ShowCarriesItemAndIntegerOneProperties) {
    TestPlatform device;
    LibStatusBar::addStatusBarImageNamed(GetParam());
    ASSERT_EQ(device.centerMessages().size(), 1u);
    const CenterMessage& sent = device.centerMessages()[0];
    EXPECT_EQ(sent.center, kCenter);
    EXPECT_EQ(sent.message, kMessage);
    ASSERT_TRUE(sent.userInfo);
    EXPECT_EQ(sent.userInfo->count(), 2u);
    EXPECT_EQ(stringEntry(*sent.userInfo, "item"), GetParam());
    const auto properties = NSDynamicCast<NSNumber>(sent.userInfo->objectForKey("properties"));
    ASSERT_TRUE(properties);
    EXPECT_STREQ(properties->objCType(), "q");  // an integer number, not a boolean
    EXPECT_EQ(properties->integerValue(), 1);
    EXPECT_NE(sent.userInfoXml.find("<integer>1</integer>"), std::string::npos) << sent.userInfoXml;
}

TEST_P(LibStatusBarPayloads, HideCarriesTheItemAlone) {
    TestPlatform device;
    LibStatusBar::removeStatusBarImageNamed(GetParam());
    ASSERT_EQ(device.centerMessages().size(), 1u);
    const CenterMessage& sent = device.centerMessages()[0];
    EXPECT_EQ(sent.center, kCenter);
    EXPECT_EQ(sent.message, kMessage);
    ASSERT_TRUE(sent.userInfo);
    EXPECT_EQ(sent.userInfo->count(), 1u);
    EXPECT_EQ(stringEntry(*sent.userInfo, "item"), GetParam());
    EXPECT_FALSE(sent.userInfo->objectForKey("properties"));
}

INSTANTIATE_TEST_SUITE_P(Names, LibStatusBarPayloads,
                         ::testing::Values("VigilantPro", "", "with space", "Ünïcødé"));

TEST(LibStatusBar, CentreIsLookedUpAnewForEveryMessageAndNoVersionIsAsked) {
    TestPlatform device;
    LibStatusBar::addStatusBarImageNamed("VigilantPro");
    LibStatusBar::addStatusBarImageNamed("VigilantPro");
    LibStatusBar::removeStatusBarImageNamed("VigilantPro");
    EXPECT_EQ(device.countCalls("CPDistributedMessagingCenter.centerNamed"), 3u);
    EXPECT_EQ(device.countCalls("CPDistributedMessagingCenter.sendMessageNameUserInfo"), 3u);
    EXPECT_EQ(device.countCalls("UIDevice.systemVersion"), 0u);
    const std::vector<StatusBarRequest> expected{{kRouteLibStatusBar, "VigilantPro", true, 0, 0},
                                                 {kRouteLibStatusBar, "VigilantPro", true, 0, 0},
                                                 {kRouteLibStatusBar, "VigilantPro", false, 0, 0}};
    EXPECT_EQ(device.statusBarRequests(), expected);
}

TEST(LibStatusBar, ControllerOnIOS4SendsTheSamePayloads) {
    TestPlatform device;
    device.setSystemVersion("4.2.1");
    StatusBarController* controller = statusbar_test::namedController();
    controller->addIcon();
    controller->removeIcon();
    ASSERT_EQ(device.centerMessages().size(), 2u);
    EXPECT_EQ(device.centerMessages()[0].userInfo->count(), 2u);
    EXPECT_EQ(device.centerMessages()[1].userInfo->count(), 1u);
    EXPECT_EQ(stringEntry(*device.centerMessages()[1].userInfo, "item"), "VigilantPro");
}

}  // namespace
