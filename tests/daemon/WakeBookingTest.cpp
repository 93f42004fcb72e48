// The wake arithmetic, and the withdrawal of exactly the daemon's own earlier bookings (each
// with its own time) before exactly one new booking, whatever the wake-request list holds.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "DaemonTestSupport.h"

using namespace daemon_test;
using platform::testing::AutoWakeEntry;
using platform::testing::WakeAction;
using platform::testing::WakeRequest;

namespace {

// A daemon that did nothing at start-up (4.0), so scheduleWake can be driven alone.
struct WakeFixture {
    std::unique_ptr<TestPlatform> device;
    std::unique_ptr<Daemon> daemon;
    WakeFixture(const std::string& time, int start) : device(makeDevice("4.0", time)) {
        writeSchedule(*device, true, start, 1020);
        daemon = std::make_unique<Daemon>();
        device->clearRecords();
    }
    ~WakeFixture() { daemon.reset(); }
    CFAbsoluteTime now() const { return CFAbsoluteTimeGetCurrent(); }
};

struct ArithmeticCase {
    const char* now;
    int start;
    double secondsAhead;
    const char* booked;
};
// Test names show the case, not its bytes.
void PrintTo(const ArithmeticCase& c, std::ostream* os) { *os << c.now << " start " << c.start; }

class WakeArithmetic : public ::testing::TestWithParam<ArithmeticCase> {};

TEST_P(WakeArithmetic, WholeMinutesAheadKeepingTheCurrentSeconds) {
    WakeFixture f(GetParam().now, GetParam().start);
    const CFAbsoluteTime now = f.now();
    f.daemon->scheduleWake();
    ASSERT_EQ(f.device->wakeRequests().size(), 1u);
    const WakeRequest& booked = f.device->wakeRequests()[0];
    EXPECT_EQ(booked.action, WakeAction::schedule);
    EXPECT_EQ(booked.identifier, kLabel);
    EXPECT_DOUBLE_EQ(booked.date - now, GetParam().secondsAhead);
    EXPECT_EQ(NSDate::dateWithTimeIntervalSinceReferenceDate(booked.date).description(),
              GetParam().booked);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WakeArithmetic,
    ::testing::Values(ArithmeticCase{"2026-12-07 17:01:37", 540, 57540, "2026-12-08 09:00:37"},
                      ArithmeticCase{"2026-12-07 06:00:10", 1320, 57600, "2026-12-07 22:00:10"},
                      ArithmeticCase{"2026-12-07 09:00:20", 540, 0, "2026-12-07 09:00:20"},
                      ArithmeticCase{"2026-12-07 08:59:59", 540, 60, "2026-12-07 09:00:59"},
                      ArithmeticCase{"2026-12-07 09:01:00", 540, 86340, "2026-12-08 09:00:00"},
                      ArithmeticCase{"2026-12-07 23:59:00", 0, 60, "2026-12-08 00:00:00"},
                      ArithmeticCase{"2026-12-07 12:00:00", -30, 41400, "2026-12-07 23:30:00"},
                      ArithmeticCase{"2026-12-07 12:00:00", 1500, 46800, "2026-12-08 01:00:00"}));

TEST(WakeArithmetic, LargestStartDoesNotOverflow) {
    WakeFixture f("2026-12-07 12:00:00", INT_MAX);
    const CFAbsoluteTime now = f.now();
    f.daemon->scheduleWake();
    ASSERT_EQ(f.device->wakeRequests().size(), 1u);
    EXPECT_DOUBLE_EQ(f.device->wakeRequests()[0].date - now, (double(INT_MAX) - 720) * 60);
}

// The start's local wall time on the day it next occurs, across daylight-saving changes. All
// times are UTC; the zone places the start.
struct LocalStartCase {
    const char* name;
    const char* zone;
    const char* now;
    int start;
    const char* booked;
};

void PrintTo(const LocalStartCase& c, std::ostream* os) { *os << c.name; }

class WakeAtLocalStart : public ::testing::TestWithParam<LocalStartCase> {};

TEST_P(WakeAtLocalStart, LandsWhereTheZonesClockShowsTheStart) {
    const LocalStartCase& c = GetParam();
    WakeFixture f(c.now, c.start);
    f.device->setTimeZone(c.zone);
    f.daemon->scheduleWake();
    ASSERT_EQ(f.device->wakeRequests().size(), 1u);
    f.device->setTimeZone("UTC");
    EXPECT_EQ(dateText(f.device->wakeRequests()[0].date), c.booked);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, WakeAtLocalStart,
    ::testing::Values(
        // 08:30 CEST on the night autumn falls back: 05:00 CET, not an hour early.
        LocalStartCase{"BerlinFallBack", "Europe/Berlin", "2027-10-30 06:30:00", 300,
                       "2027-10-31 04:00:00"},
        LocalStartCase{"BerlinSpringForward", "Europe/Berlin", "2027-03-27 07:30:00", 300,
                       "2027-03-28 03:00:00"},
        LocalStartCase{"NewYorkSpringForwardKeepsTheSeconds", "America/New_York",
                       "2027-03-13 17:00:15", 360, "2027-03-14 10:00:15"},
        LocalStartCase{"NewYorkFallBack", "America/New_York", "2027-11-06 16:00:00", 360,
                       "2027-11-07 11:00:00"},
        LocalStartCase{"SydneyFallBackInApril", "Australia/Sydney", "2027-04-03 01:00:00", 360,
                       "2027-04-03 20:00:00"},
        // Starts inside spring's missing hour wake when the clock reaches them: the gap's end.
        LocalStartCase{"BerlinStartInSkippedHour", "Europe/Berlin", "2027-03-27 11:00:42", 150,
                       "2027-03-28 01:00:00"},
        LocalStartCase{"NewYorkStartInSkippedHour", "America/New_York", "2027-03-14 01:00:07", 135,
                       "2027-03-14 07:00:00"},
        LocalStartCase{"BerlinStartJustBeforeSpringForward", "Europe/Berlin", "2027-03-27 12:00:00",
                       119, "2027-03-28 00:59:00"},
        LocalStartCase{"BerlinStartJustAfterSpringForward", "Europe/Berlin", "2027-03-27 12:00:00",
                       180, "2027-03-28 01:00:00"},
        LocalStartCase{"BerlinStartJustAfterFallBack", "Europe/Berlin", "2027-10-30 12:00:00", 180,
                       "2027-10-31 02:00:00"},
        // Booked at 02:05 CET, the hour's second showing: 02:10 comes again five minutes on.
        LocalStartCase{"BerlinRepeatedHourSecondShowing", "Europe/Berlin", "2027-10-31 01:05:00",
                       130, "2027-10-31 01:10:00"},
        // A window across midnight booked in the morning of the change day.
        LocalStartCase{"NewYorkAcrossMidnightOnTheChangeDay", "America/New_York",
                       "2027-03-14 10:30:00", 1320, "2027-03-15 02:00:00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WakeWithdrawal, OnlyOwnBookingsEachWithItsOwnTimeThenExactlyOneBooking) {
    WakeFixture f("2026-12-07 17:01:37", 540);
    const CFAbsoluteTime t = f.now();
    f.device->writeAutoWakeEntries(
        {{t + 100, kLabel}, {t + 200, "com.apple.alarm"}, {t + 300, kLabel}});
    f.daemon->scheduleWake();
    const std::vector<WakeRequest> expected{{WakeAction::cancel, t + 100, kLabel},
                                            {WakeAction::cancel, t + 300, kLabel},
                                            {WakeAction::schedule, t + 57540, kLabel}};
    EXPECT_EQ(f.device->wakeRequests(), expected);
    const std::vector<AutoWakeEntry> left{{t + 200, "com.apple.alarm"}, {t + 57540, kLabel}};
    EXPECT_EQ(f.device->autoWakeEntries(), left);
}

TEST(WakeWithdrawal, RepeatedBookingsLeaveOneOfOursListed) {
    WakeFixture f("2026-12-07 17:01:37", 540);
    for (int i = 0; i < 5; ++i) {
        f.daemon->scheduleWake();
        f.device->advance(3600);
    }
    size_t ours = 0;
    for (const auto& entry : f.device->autoWakeEntries()) ours += entry.scheduledBy == kLabel;
    EXPECT_EQ(ours, 1u);
    EXPECT_EQ(f.device->wakeRequests().size(), 9u);  // four withdrawals between five bookings
}

// Odd elements of the list, written as raw property-list XML.
std::string listWith(const std::string& elements) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict><key>wake</key>"
           "<array>" +
           elements + "</array></dict></plist>";
}

struct OddListCase {
    const char* name;
    std::string file;
    size_t withdrawals;
};
// Test names show the case, not its bytes.
void PrintTo(const OddListCase& c, std::ostream* os) { *os << c.name; }

class OddWakeList : public ::testing::TestWithParam<OddListCase> {};

TEST_P(OddWakeList, WithdrawsWhatIsOursAndStillBooksOnce) {
    WakeFixture f("2026-12-07 17:01:37", 540);
    f.device->setMaintainAutoWakeFile(false);
    f.device->writeAutoWakeFile(GetParam().file);
    f.daemon->scheduleWake();
    const auto& requests = f.device->wakeRequests();
    ASSERT_EQ(requests.size(), GetParam().withdrawals + 1);
    for (size_t i = 0; i < GetParam().withdrawals; ++i) {
        EXPECT_EQ(requests[i].action, WakeAction::cancel);
        EXPECT_EQ(requests[i].identifier, kLabel);
    }
    EXPECT_EQ(requests.back().action, WakeAction::schedule);
}

const std::string kOwnAt =
    "<dict><key>scheduledby</key><string>com.quillmoor.vigilantpro</string>"
    "<key>time</key><date>2026-12-08T09:00:37Z</date></dict>";

INSTANTIATE_TEST_SUITE_P(
    Table, OddWakeList,
    ::testing::Values(
        OddListCase{"Missing", "", 0}, OddListCase{"NoPlist", "this is not a property list", 0},
        OddListCase{"Truncated", listWith(kOwnAt).substr(0, 120), 0},
        OddListCase{"TopIsAnArray",
                    "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>", 0},
        OddListCase{"NoWakeKey", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>",
                    0},
        OddListCase{"WakeIsNoArray",
                    "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>wake</key>"
                    "<string>x</string></dict></plist>",
                    0},
        OddListCase{
            "ElementsThatAreNoDictionaries",
            listWith("<string>com.quillmoor.vigilantpro</string><integer>3</integer>" + kOwnAt), 1},
        OddListCase{"OwnerMissingOrOfAnotherType",
                    listWith("<dict><key>time</key><date>2026-12-08T09:00:37Z</date></dict>"
                             "<dict><key>scheduledby</key><integer>1</integer>"
                             "<key>time</key><date>2026-12-08T09:00:37Z</date></dict>" +
                             kOwnAt),
                    1},
        OddListCase{
            "OwnerDiffersByCaseOrSpace",
            listWith("<dict><key>scheduledby</key><string>com.quillmoor.VigilantPro</string>"
                     "<key>time</key><date>2026-12-08T09:00:37Z</date></dict>"
                     "<dict><key>scheduledby</key><string>com.quillmoor.vigilantpro "
                     "</string><key>time</key><date>2026-12-08T09:00:37Z</date></dict>"),
            0},
        OddListCase{
            "OwnWithoutADate",
            listWith("<dict><key>scheduledby</key><string>com.quillmoor.vigilantpro</string>"
                     "</dict><dict><key>scheduledby</key><string>com.quillmoor.vigilantpro"
                     "</string><key>time</key><string>tomorrow</string></dict>" +
                     kOwnAt),
            1},
        // A NUL byte inside a text: the owner is another, and reading it must not end the
        // daemon (libplist asserts when such a text is read as a C string).
        OddListCase{
            "OwnerWithANulByte",
            listWith("<dict><key>scheduledby</key><string>com.quillmoor.vigilantpro" +
                     std::string(1, '\0') +
                     "x</string><key>time</key><date>2026-12-08T09:00:37Z</date></dict>" + kOwnAt),
            1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OddWakeList, BinaryListIsReadToo) {
    WakeFixture f("2026-12-07 17:01:37", 540);
    NSDictionary entry;
    entry.setObjectForKey(kLabel, "scheduledby");
    entry.setObjectForKey(NSDate::date(), "time");
    NSArray wake;
    wake.addObject(entry);
    NSDictionary top;
    top.setObjectForKey(wake, "wake");
    const NSData binary = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        top, NSPropertyListBinaryFormat_v1_0, nullptr);
    f.device->writeAutoWakeFile(std::string(binary.bytes().begin(), binary.bytes().end()));
    f.daemon->scheduleWake();
    ASSERT_EQ(f.device->wakeRequests().size(), 2u);
    EXPECT_EQ(f.device->wakeRequests()[0],
              (WakeRequest{WakeAction::cancel, std::floor(f.now()), kLabel}));
}

}  // namespace
