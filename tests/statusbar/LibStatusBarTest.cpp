// The libstatusbar protocol: the centre, the message and both payloads, exactly.
#include <gtest/gtest.h>

#include "LibStatusBar.h"
#include "StatusBarTestSupport.h"

using namespace platform::testing;

namespace {

constexpr const char* kCenter = "com.apple.springboard.libstatusbar";
constexpr const char* kMessage = "setProperties:userInfo:";

std::string stringEntry(const PList::Dictionary& dict, const std::string& key) {
    auto it = dict.Find(key);
    if (it == dict.End()) return "(absent)";
    if (!it->second || it->second->GetType() != PLIST_STRING) return "(not a string)";
    return static_cast<const PList::String*>(it->second)->GetValue();
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
    EXPECT_EQ(sent.userInfo->GetSize(), 2u);
    EXPECT_EQ(stringEntry(*sent.userInfo, "item"), GetParam());
    auto properties = sent.userInfo->Find("properties");
    ASSERT_NE(properties, sent.userInfo->End());
    ASSERT_EQ(properties->second->GetType(), PLIST_UINT);  // an integer number, not a boolean
    EXPECT_EQ(static_cast<const PList::Integer*>(properties->second)->GetValue(), 1u);
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
    EXPECT_EQ(sent.userInfo->GetSize(), 1u);
    EXPECT_EQ(stringEntry(*sent.userInfo, "item"), GetParam());
    EXPECT_EQ(sent.userInfo->Find("properties"), sent.userInfo->End());
}

INSTANTIATE_TEST_SUITE_P(Names, LibStatusBarPayloads,
                         ::testing::Values("VigilantPro", "", "with space", "Ünïcødé"));

TEST(LibStatusBar, CentreIsLookedUpAnewForEveryMessageAndNoVersionIsAsked) {
    TestPlatform device;
    LibStatusBar::addStatusBarImageNamed("VigilantPro");
    LibStatusBar::addStatusBarImageNamed("VigilantPro");
    LibStatusBar::removeStatusBarImageNamed("VigilantPro");
    EXPECT_EQ(device.countCalls<platform::probe::CenterLookedUp>(), 3u);
    EXPECT_EQ(device.countCalls<CenterMessage>(), 3u);
    EXPECT_EQ(device.countCalls<SystemVersionRead>(), 0u);
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
    EXPECT_EQ(device.centerMessages()[0].userInfo->GetSize(), 2u);
    EXPECT_EQ(device.centerMessages()[1].userInfo->GetSize(), 1u);
    EXPECT_EQ(stringEntry(*device.centerMessages()[1].userInfo, "item"), "VigilantPro");
}

}  // namespace
