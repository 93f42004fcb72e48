// The user-defaults store: the main bundle's domain as a file under the user's home, loaded
// once, written whole on synchronize; registered defaults are answered but never written.
#include <base/PlistFile.h>
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
    defaults.setObjectForKey(NSDate::date(), "When");
    ASSERT_TRUE(defaults.synchronize());
    defaults.setBoolForKey(NO, "Other");  // never written: the reloaded store must not know it

    device.reloadUserDefaults();
    NSUserDefaults& again = NSUserDefaults::standardUserDefaults();
    EXPECT_EQ(again.integerForKey("Minutes"), -75);
    EXPECT_TRUE(again.boolForKey("Flag"));
    EXPECT_TRUE(again.boolForKey("Other"));
    const auto when = NSDynamicCast<NSDate>(again.objectForKey("When"));
    ASSERT_TRUE(when);
    EXPECT_EQ(when->description(), device.timeText());

    auto file = device.readSettings();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->GetSize(), 4u);
    ASSERT_NE(file->Find("Flag"), file->End());
    ASSERT_EQ(file->Find("Flag")->second->GetType(), PLIST_BOOLEAN);
    EXPECT_EQ(static_cast<PList::Boolean*>(file->Find("Flag")->second)->GetValue(), true);
}

TEST(UserDefaults, RegisteredDefaultsAreAnsweredButNeverWritten) {
    TestPlatform device;
    NSUserDefaults& defaults = NSUserDefaults::standardUserDefaults();
    NSDictionary registered;
    registered.setObjectForKey(NSNumber::numberWithInt(540), "Start");
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
    file.Set("Flag", base::makeDate(NSDate::date().timeIntervalSinceReferenceDate()));
    device.writeSettings(file);
    NSUserDefaults& defaults = NSUserDefaults::standardUserDefaults();
    NSDictionary registered;
    registered.setObjectForKey(NSNumber::numberWithInt(540), "Start");
    defaults.registerDefaults(registered);
    EXPECT_EQ(defaults.integerForKey("Start"), 540);
    EXPECT_FALSE(defaults.boolForKey("Flag"));
    EXPECT_EQ(defaults.integerForKey("Flag"), 0);
}

TEST(UserDefaults, CorruptFileReadsAsEmpty) {
    TestPlatform device;
    device.writeSettingsFile("<?xml version=\"1.0\"?><plist><dict><key>Sch");
    EXPECT_EQ(NSUserDefaults::standardUserDefaults().integerForKey("ScheduleStart"), 0);
    EXPECT_FALSE(NSUserDefaults::standardUserDefaults().objectForKey("Schedule"));
}

TEST(UserDefaults, ResetThatKeepsRegistrationsKeepsThemAndRereadsTheFile) {
    TestPlatform device;
    NSDictionary registered;
    registered.setObjectForKey(NSNumber::numberWithInt(540), "Start");
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
