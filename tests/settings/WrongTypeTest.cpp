// Values of an unexpected type in the settings file: anything that is no number reads as
// absent (the registered default, else NO); numbers of another kind convert; integers too big
// for 32 bits read as the nearest that fits.
#include <base/PlistFile.h>
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "AppSettings.h"
#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

struct WrongTypeCase {
    const char* name;
    std::function<void(PList::Dictionary&)> fill;
    bool schedule;
    int start;
    int end;
    int floor = 0;
};
// Test names show the case, not its bytes.
void PrintTo(const WrongTypeCase& c, std::ostream* os) { *os << c.name; }

class AppSettingsWrongType : public ::testing::TestWithParam<WrongTypeCase> {};

TEST_P(AppSettingsWrongType, ReadsAsDocumented) {
    TestPlatform device;
    AppSettings::sharedSettings();
    PList::Dictionary file;
    GetParam().fill(file);
    device.writeSettings(file);
    device.reloadUserDefaults();
    AppSettings& settings = *AppSettings::sharedSettings();
    EXPECT_EQ(settings.schedule(), GetParam().schedule);
    EXPECT_EQ(settings.scheduleStart(), GetParam().start);
    EXPECT_EQ(settings.scheduleEnd(), GetParam().end);
    EXPECT_EQ(settings.batteryFloor(), GetParam().floor);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AppSettingsWrongType,
    ::testing::Values(
        WrongTypeCase{"TextEverywhere",
                      [](PList::Dictionary& f) {
                          f.Set("Schedule", PList::String("YES"));
                          f.Set("ScheduleStart", PList::String("1320"));
                          f.Set("ScheduleEnd", PList::String("06:00"));
                          f.Set("BatteryFloor", PList::String("20"));
                      },
                      false, 540, 1020},
        WrongTypeCase{"DatesAndData",
                      [](PList::Dictionary& f) {
                          f.Set("Schedule",
                                base::makeDate(NSDate::date().timeIntervalSinceReferenceDate()));
                          f.Set("ScheduleStart", PList::Data(std::vector<char>{1, 2}));
                      },
                      false, 540, 1020},
        WrongTypeCase{"Collections",
                      [](PList::Dictionary& f) {
                          f.Set("Schedule", PList::Array());
                          f.Set("ScheduleEnd", PList::Dictionary());
                          f.Set("BatteryFloor", PList::Array());
                      },
                      false, 540, 1020},
        WrongTypeCase{"NumbersOfAnotherKind",
                      [](PList::Dictionary& f) {
                          f.Set("Schedule", PList::Integer(uint64_t{2}));
                          f.Set("ScheduleStart", PList::Real(600.9));
                          f.Set("ScheduleEnd", PList::Boolean(true));
                          f.Set("BatteryFloor", PList::Real(30.7));
                      },
                      true, 600, 1, 30},
        WrongTypeCase{"ZeroIsNo", [](PList::Dictionary& f) { f.Set("Schedule", PList::Real(0.0)); },
                      false, 540, 1020},
        WrongTypeCase{"TooBigForThirtyTwoBits",
                      [](PList::Dictionary& f) {
                          f.Set("ScheduleStart", PList::Integer(uint64_t{1} << 40));
                          f.Set("ScheduleEnd",
                                PList::Integer(static_cast<uint64_t>(-(int64_t{1} << 40))));
                          f.Set("BatteryFloor", PList::Integer(uint64_t{1} << 40));
                      },
                      false, INT_MAX, INT_MIN}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AppSettingsWrongType, FileThatIsNoDictionaryReadsAsDefaults) {
    for (const char* bytes :
         {"garbage", "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>",
          "bplist00"}) {
        TestPlatform device;
        AppSettings::sharedSettings();
        device.writeSettingsFile(bytes);
        device.reloadUserDefaults();
        EXPECT_FALSE(AppSettings::sharedSettings()->schedule()) << bytes;
        EXPECT_EQ(AppSettings::sharedSettings()->scheduleStart(), 540) << bytes;
    }
}

}  // namespace
