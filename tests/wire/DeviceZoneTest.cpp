// The device's zone: which names are zones of the host's tz database, the link that keeps a
// device's zone, and local time in it.
#include <gtest/gtest.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/DeviceZone.h>

#include <filesystem>

#include "TemporaryFolder.h"

namespace {

struct ZoneName {
    const char* name;
    bool known;
};
void PrintTo(const ZoneName& z, std::ostream* os) { *os << '"' << z.name << '"'; }

class ZoneNames : public testing::TestWithParam<ZoneName> {};

TEST_P(ZoneNames, AreZonesOfTheDatabaseOnlyWhenTheyNameOneInside) {
    EXPECT_EQ(wire::knownZone(GetParam().name), GetParam().known);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ZoneNames,
    testing::Values(ZoneName{"Europe/Berlin", true}, ZoneName{"America/New_York", true},
                    ZoneName{"Australia/Lord_Howe", true}, ZoneName{"UTC", true},
                    ZoneName{"Etc/GMT-5", true}, ZoneName{"Mars/Olympus_Mons", false},
                    ZoneName{"europe/berlin", false}, ZoneName{"", false},
                    ZoneName{"Europe", false}, ZoneName{"Europe/Berlin/", false},
                    ZoneName{"/Europe/Berlin", false}, ZoneName{"/etc/passwd", false},
                    ZoneName{"../../../etc/passwd", false},
                    ZoneName{"Europe/../Europe/Berlin", false}, ZoneName{"zone.tab", false},
                    ZoneName{"localtime", false}, ZoneName{"Europe/Berlin extra", false}));

TEST(DeviceZone, IsUtcUntilSetAndThenTheZoneItWasSetTo) {
    const TemporaryFolder root("zone");
    EXPECT_EQ(wire::deviceZone(root.path()), "UTC");
    std::string error;
    ASSERT_TRUE(wire::setDeviceZone(root.path(), "Europe/Berlin", &error)) << error;
    EXPECT_EQ(wire::deviceZone(root.path()), "Europe/Berlin");
    const auto link = std::filesystem::read_symlink(root.path() + wire::paths::kTimeZone);
    EXPECT_EQ(link.string(), "/usr/share/zoneinfo/Europe/Berlin");
    ASSERT_TRUE(wire::setDeviceZone(root.path(), "America/New_York", &error)) << error;
    EXPECT_EQ(wire::deviceZone(root.path()), "America/New_York");
}

TEST(DeviceZone, AnUnknownZoneChangesNothing) {
    const TemporaryFolder root("zone");
    std::string error;
    ASSERT_TRUE(wire::setDeviceZone(root.path(), "Asia/Tokyo", &error)) << error;
    EXPECT_FALSE(wire::setDeviceZone(root.path(), "Asia/Atlantis", &error));
    EXPECT_NE(error.find("Asia/Atlantis"), std::string::npos) << error;
    EXPECT_EQ(wire::deviceZone(root.path()), "Asia/Tokyo");
}

TEST(DeviceZone, ALinkThatNamesNoZoneReadsAsUtc) {
    const TemporaryFolder root("zone");
    const std::filesystem::path link = root.path() + wire::paths::kTimeZone;
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_symlink("/etc/passwd", link);
    EXPECT_EQ(wire::deviceZone(root.path()), "UTC");
}

struct LocalCase {
    const char* utc;
    const char* zone;
    const char* local;
};
void PrintTo(const LocalCase& c, std::ostream* os) { *os << c.utc << " in " << c.zone; }

class LocalTime : public testing::TestWithParam<LocalCase> {};

TEST_P(LocalTime, FollowsTheZonesDaylightSaving) {
    EXPECT_EQ(wire::formatLocalTime(*wire::parseDeviceTime(GetParam().utc), GetParam().zone),
              GetParam().local);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LocalTime,
    testing::Values(LocalCase{"2027-10-30 22:59:59", "Europe/Berlin", "2027-10-31T00:59:59"},
                    LocalCase{"2027-10-31 00:59:59", "Europe/Berlin", "2027-10-31T02:59:59"},
                    LocalCase{"2027-10-31 01:00:00", "Europe/Berlin", "2027-10-31T02:00:00"},
                    LocalCase{"2027-03-14 06:59:59", "America/New_York", "2027-03-14T01:59:59"},
                    LocalCase{"2027-03-14 07:00:00", "America/New_York", "2027-03-14T03:00:00"},
                    LocalCase{"2027-03-14 07:00:00", "Nowhere/Else", "2027-03-14T07:00:00"}));

TEST(LocalTime, OfAClockBeyondTheWritableYearsIsItsLastOrFirstSecond) {
    EXPECT_EQ(wire::formatLocalTime(1e300, "UTC"), "9999-12-31T23:59:59");
    EXPECT_EQ(wire::formatLocalTime(-1e300, "UTC"), "0000-01-01T00:00:00");
    EXPECT_EQ(wire::formatDeviceTime(1e300), "9999-12-31T23:59:59");
    EXPECT_EQ(wire::formatDeviceTime(std::numeric_limits<double>::quiet_NaN()),
              "2001-01-01T00:00:00");
}

}  // namespace
