// The wake-request list as others may have left it: entries it does not understand stay as
// they are through bookings and withdrawals, a withdrawal matches by the whole second, and
// the next wake-up is the earliest valid request strictly after now.
#include <base/PlistFile.h>
#include <gtest/gtest.h>
#include <wire/WakeList.h>

#include <fstream>
#include <string>
#include <vector>

#include "TemporaryFolder.h"

namespace {

using wire::WakeList;
using wire::WakeRequest;

class WakeListFile : public testing::Test {
  protected:
    void writeList(const std::string& entries) {
        std::ofstream(path) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<plist version=\"1.0\"><dict><key>wake</key><array>"
                            << entries << "</array></dict></plist>\n";
    }
    // The entries of the file as stored, each as XML.
    std::vector<std::string> storedEntries() const {
        std::vector<std::string> out;
        const base::PlistFile file = base::readPlistFile(path);
        const PList::Array* wake =
            file.dictionary() ? base::arrayAt(*file.dictionary(), "wake") : nullptr;
        if (!wake) return out;
        for (const auto& item : base::arrayItems(*wake)) {
            const std::vector<char> xml = base::plistToXml(*item);
            out.emplace_back(xml.begin(), xml.end());
        }
        return out;
    }

    TemporaryFolder folder{"wakelist"};
    const std::string path = folder.path() + "/com.apple.AutoWake.plist";
};

std::string entry(const std::string& date, const std::string& by) {
    return "<dict><key>time</key><date>" + date + "</date><key>scheduledby</key><string>" + by +
           "</string></dict>";
}

// 2010-06-21 22:00:00 UTC, seconds since the reference date.
constexpr double k2200 = 298850400;

TEST_F(WakeListFile, DamagedAndOddEntriesAreKeptThroughBookingsAndWithdrawals) {
    const std::vector<std::string> odd = {
        "<string>noon</string>",
        "<dict><key>time</key><date>2010-06-21T22:00:00Z</date></dict>",
        "<dict><key>time</key><string>22:00</string><key>scheduledby</key><string>x</string>"
        "</dict>",
        "<dict><key>time</key><date>2010-06-21T23:00:00Z</date><key>scheduledby</key>"
        "<string>y</string><key>extra</key><integer>7</integer></dict>",
    };
    writeList(entry("2010-06-21T22:00:00Z", "a") + odd[0] + odd[1] + odd[2] + odd[3]);
    const std::vector<std::string> before = storedEntries();
    ASSERT_EQ(before.size(), 5u);

    WakeList list = WakeList::load(path);
    ASSERT_EQ(list.error(), "");
    EXPECT_EQ(list.problems().size(), 3u) << "the entry with an extra key is a valid one";
    EXPECT_EQ(list.requests(), (std::vector<WakeRequest>{{k2200, "a"}, {k2200 + 3600, "y"}}));

    list.add(k2200 + 60, "b");
    EXPECT_EQ(list.remove(k2200, "a"), 1);
    ASSERT_TRUE(list.save(path));
    const std::vector<std::string> after = storedEntries();
    ASSERT_EQ(after.size(), 5u);
    // The odd entries as they were, in their order; the booking at the end.
    EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + 4),
              std::vector<std::string>(before.begin() + 1, before.end()));
    EXPECT_EQ(WakeList::load(path).requests(),
              (std::vector<WakeRequest>{{k2200 + 3600, "y"}, {k2200 + 60, "b"}}));
}

struct Withdrawal {
    const char* name;
    double time;
    const char* identifier;
    int removed;
};

TEST_F(WakeListFile, AWithdrawalMatchesTheWholeSecondAndTheIdentifier) {
    // Two parties booked the same second.
    writeList(entry("2010-06-21T22:00:00Z", "a") + entry("2010-06-21T22:00:00Z", "b"));
    const std::vector<Withdrawal> cases = {
        {"the same second", k2200, "a", 1},
        {"a fraction later", k2200 + 0.4, "a", 1},
        {"just before the next second", k2200 + 0.9, "a", 1},
        {"a fraction earlier", k2200 - 0.4, "a", 0},
        {"the next second", k2200 + 1, "a", 0},
        {"another identifier", k2200, "c", 0},
    };
    for (const Withdrawal& c : cases) {
        SCOPED_TRACE(c.name);
        WakeList list = WakeList::load(path);
        EXPECT_EQ(list.remove(c.time, c.identifier), c.removed);
        EXPECT_EQ(list.requests().size(), 2u - c.removed) << "b's booking stays";
    }
    // A booking already listed for that second is not listed twice.
    WakeList list = WakeList::load(path);
    list.add(k2200 + 0.3, "a");
    EXPECT_EQ(list.requests().size(), 2u);
}

TEST(WakeListRequests, TheNextIsTheEarliestValidOneStrictlyAfterNow) {
    WakeList list;
    for (const auto& [offset, by] : std::vector<std::pair<double, const char*>>{
             {-5, "past"}, {0, "now"}, {7, "later"}, {3, "soonest"}, {60, "last"}})
        list.add(k2200 + offset, by);
    const auto next = list.earliestAfter(k2200);
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, (WakeRequest{k2200 + 3, "soonest"}));
    EXPECT_EQ(list.earliestAfter(k2200 + 60), std::nullopt);
    EXPECT_EQ(list.earliestAfter(k2200 - 100)->scheduledBy, "past");
}

}  // namespace
