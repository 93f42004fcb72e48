// The user-defaults store: the main bundle's domain as a file under the user's home, loaded
// once, written whole on synchronize; registered defaults are answered but never written.
#include <gtest/gtest.h>

#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

constexpr const char* kDomainFile = "/var/root/Library/Preferences/com.quillmoor.vigilantpro.plist";

TEST(UserDefaults, DomainIsTheMainBundleIdentifier) {
    TestPlatform device;
    EXPECT_EQ(NSUserDefaults::standardUserDefaults().filePath(), kDomainFile);
    EXPECT_EQ(device.settingsDevicePath(), kDomainFile);
    device.setBundleIdentifier("org.example.other");
    EXPECT_EQ(NSUserDefaults::standardUserDefaults().filePath(),
              "/var/root/Library/Preferences/org.example.other.plist");
}

TEST(UserDefaults, WrittenValuesReadBackAfterAReload) {
    TestPlatform device;
    NSUserDefaults& defaults = NSUserDefaults::standardUserDefaults();
    defaults.setObjectForKey(NSNumber::numberWithInt(-75), "Minutes");
    defaults.setObjectForKey(NSNumber::numberWithBool(YES), "Flag");
    defaults.setBoolForKey(YES, "Other");
    defaults.setObjectForKey(NSDate::date().propertyListValue(), "When");
    ASSERT_TRUE(defaults.synchronize());

    device.reloadUserDefaults();
    NSUserDefaults& again = NSUserDefaults::standardUserDefaults();
    EXPECT_NE(&again, &defaults);
    EXPECT_EQ(again.integerForKey("Minutes"), -75);
    EXPECT_TRUE(again.boolForKey("Flag"));
    EXPECT_TRUE(again.boolForKey("Other"));
    auto when = again.objectForKey("When");
    ASSERT_TRUE(NSDate::fromPropertyList(when.get()));
    EXPECT_EQ(NSDate::fromPropertyList(when.get())->description(), device.timeText());

    auto file = device.readSettings();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->GetSize(), 4u);
    EXPECT_EQ(NSDynamicCast<PList::Boolean>(file->Find("Flag")->second)->GetValue(), true);
}

TEST(UserDefaults, RegisteredDefaultsAreAnsweredButNeverWritten) {
    TestPlatform device;
    NSUserDefaults& defaults = NSUserDefaults::standardUserDefaults();
    PList::Dictionary registered;
    registered.Set("Start", PList::Integer(uint64_t{540}));
    defaults.registerDefaults(registered);
    EXPECT_EQ(defaults.integerForKey("Start"), 540);
    defaults.setBoolForKey(YES, "Written");
    ASSERT_TRUE(defaults.synchronize());
    auto file = device.readSettings();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Find("Start"), file->End());
    EXPECT_NE(file->Find("Written"), file->End());
}

TEST(UserDefaults, ValueOfTheWrongTypeReadsAsAbsent) {
    TestPlatform device;
    PList::Dictionary file;
    file.Set("Start", PList::String("nine"));
    file.Set("Flag", NSDate::date().propertyListValue());
    device.writeSettings(file);
    NSUserDefaults& defaults = NSUserDefaults::standardUserDefaults();
    PList::Dictionary registered;
    registered.Set("Start", PList::Integer(uint64_t{540}));
    defaults.registerDefaults(registered);
    EXPECT_EQ(defaults.integerForKey("Start"), 540);
    EXPECT_FALSE(defaults.boolForKey("Flag"));
    EXPECT_EQ(defaults.integerForKey("Flag"), 0);
}

TEST(UserDefaults, CorruptFileReadsAsEmpty) {
    TestPlatform device;
    device.writeSettingsFile("<?xml version=\"1.0\"?><plist><dict><key>Sch");
    EXPECT_EQ(NSUserDefaults::standardUserDefaults().integerForKey("ScheduleStart"), 0);
    EXPECT_EQ(NSUserDefaults::standardUserDefaults().objectForKey("Schedule"), nullptr);
}

TEST(UserDefaults, ResetThatKeepsRegistrationsKeepsThemAndRereadsTheFile) {
    TestPlatform device;
    PList::Dictionary registered;
    registered.Set("Start", PList::Integer(uint64_t{540}));
    NSUserDefaults::standardUserDefaults().registerDefaults(registered);
    PList::Dictionary file;
    file.Set("Other", PList::Integer(uint64_t{7}));
    device.writeSettings(file);

    NSUserDefaults::resetStandardUserDefaults(true);
    EXPECT_EQ(NSUserDefaults::standardUserDefaults().integerForKey("Start"), 540);
    EXPECT_EQ(NSUserDefaults::standardUserDefaults().integerForKey("Other"), 7);

    NSUserDefaults::resetStandardUserDefaults(false);
    EXPECT_EQ(NSUserDefaults::standardUserDefaults().integerForKey("Start"), 0);
}

}  // namespace
