// Property lists: what is written reads back the same (integers, booleans, dates), in both
// formats; data that is no property list reads as none.
#include <gtest/gtest.h>
#include <malloc.h>

#include <limits>

#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

std::unique_ptr<PList::Node> roundTrip(const PList::Node& node, NSPropertyListFormat format) {
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        node, format, nullptr);
    NSPropertyListFormat read = NSPropertyListOpenStepFormat;
    auto back =
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            data, NSPropertyListImmutable, &read, nullptr);
    EXPECT_EQ(read, format);
    return back;
}

class PropertyListRoundTrip : public ::testing::TestWithParam<NSPropertyListFormat> {};

TEST_P(PropertyListRoundTrip, IntegersIncludingNegativeAndLarge) {
    TestPlatform device;
    for (long long value :
         {0LL, 1LL, 540LL, -1LL, -100000LL, 2147483647LL, -2147483648LL, 1099511627776LL}) {
        PList::Dictionary dict;
        dict.Set("n", NSNumber::numberWithInteger(value).propertyListValue().get());
        auto back = roundTrip(dict, GetParam());
        auto* read = NSDynamicCast<NSDictionary>(back.get());
        ASSERT_NE(read, nullptr);
        auto number = NSNumber::fromPropertyList(read->Find("n")->second);
        ASSERT_TRUE(number);
        EXPECT_EQ(number->integerValue(), value);
        EXPECT_FALSE(number->isBoolean());
    }
}

TEST_P(PropertyListRoundTrip, BooleansStayBooleans) {
    TestPlatform device;
    for (bool value : {true, false}) {
        PList::Dictionary dict;
        dict.Set("b", NSNumber::numberWithBool(value).propertyListValue().get());
        auto back = roundTrip(dict, GetParam());
        auto number =
            NSNumber::fromPropertyList(NSDynamicCast<NSDictionary>(back.get())->Find("b")->second);
        ASSERT_TRUE(number);
        EXPECT_TRUE(number->isBoolean());
        EXPECT_EQ(number->boolValue(), value);
    }
}

TEST_P(PropertyListRoundTrip, DatesKeepTheirMoment) {
    TestPlatform device;
    device.setTime("2026-12-07 17:01:37");
    const NSDate moment = NSDate::date().dateByAddingTimeInterval(57540);
    PList::Dictionary dict;
    dict.Set("time", moment.propertyListValue());
    auto back = roundTrip(dict, GetParam());
    auto date =
        NSDate::fromPropertyList(NSDynamicCast<NSDictionary>(back.get())->Find("time")->second);
    ASSERT_TRUE(date);
    EXPECT_EQ(date->description(), "2026-12-08 09:00:37");
    EXPECT_DOUBLE_EQ(date->timeIntervalSinceReferenceDate(),
                     moment.timeIntervalSinceReferenceDate());
}

INSTANTIATE_TEST_SUITE_P(Formats, PropertyListRoundTrip,
                         ::testing::Values(NSPropertyListXMLFormat_v1_0,
                                           NSPropertyListBinaryFormat_v1_0));

TEST(PropertyListParsing, NoneForMissingEmptyOrForeignData) {
    TestPlatform device;
    const std::vector<std::string> foreign{"", "not a plist", "<?xml version=\"1.0\"?><plist>",
                                           "bplist00\x01\x02"};
    NSString error;
    EXPECT_EQ(
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            std::nullopt, NSPropertyListImmutable, nullptr, &error),
        nullptr);
    EXPECT_FALSE(error.empty());
    for (const std::string& bytes : foreign) {
        EXPECT_EQ(
            NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
                NSData(std::vector<char>(bytes.begin(), bytes.end())), NSPropertyListImmutable,
                nullptr, nullptr),
            nullptr)
            << bytes;
    }
}

TEST(PropertyListParsing, DynamicCastTellsKindsApart) {
    PList::String text("x");
    PList::Integer number(uint64_t{3});
    EXPECT_NE(NSDynamicCast<PList::String>(static_cast<PList::Node*>(&text)), nullptr);
    EXPECT_EQ(NSDynamicCast<PList::Integer>(static_cast<PList::Node*>(&text)), nullptr);
    EXPECT_EQ(NSDynamicCast<PList::Date>(static_cast<PList::Node*>(&number)), nullptr);
    EXPECT_EQ(NSDynamicCast<PList::Dictionary>(static_cast<PList::Node*>(nullptr)), nullptr);
    EXPECT_FALSE(NSDate::fromPropertyList(&number));
    EXPECT_FALSE(NSNumber::fromPropertyList(&text));
}

TEST(NSDataFiles, ReadsDevicePathsUnderTheRoot) {
    TestPlatform device;
    device.writeFile("/var/root/hello.txt", "hello");
    auto data = NSData::dataWithContentsOfFile("/var/root/hello.txt");
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->bytes().begin(), data->bytes().end()), "hello");
    EXPECT_FALSE(NSData::dataWithContentsOfFile("/var/root/missing.txt"));
    EXPECT_FALSE(NSData::dataWithContentsOfFile("/var/root"));  // a folder is no data
}

}  // namespace

namespace {

TEST(PropertyListArrays, ElementsOfAParsedArrayAreReachable) {
    TestPlatform device;
    const std::string xml =
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>a</string>"
        "<date>2026-12-08T09:00:37Z</date><integer>-3</integer></array></plist>";
    auto plist =
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            NSData(std::vector<char>(xml.begin(), xml.end())), NSPropertyListImmutable, nullptr,
            nullptr);
    const auto* array = NSDynamicCast<NSArray>(plist.get());
    ASSERT_NE(array, nullptr);
    ASSERT_EQ(NSArrayCount(*array), 3u);
    auto first = NSArrayObjectAtIndex(*array, 0);
    ASSERT_NE(NSDynamicCast<PList::String>(first.get()), nullptr);
    EXPECT_EQ(NSDynamicCast<PList::String>(first.get())->GetValue(), "a");
    auto second = NSArrayObjectAtIndex(*array, 1);
    ASSERT_TRUE(NSDate::fromPropertyList(second.get()));
    EXPECT_EQ(NSDate::fromPropertyList(second.get())->description(), "2026-12-08 09:00:37");
    EXPECT_EQ(NSNumber::fromPropertyList(NSArrayObjectAtIndex(*array, 2).get())->integerValue(),
              -3);
    EXPECT_EQ(NSArrayObjectAtIndex(*array, 3), nullptr);
}

// A wake-request list: lists of dictionaries holding lists, as anyone may write it.
const std::string kNestedLists =
    "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>wake</key><array>"
    "<dict><key>scheduledby</key><string>a</string><key>more</key>"
    "<array><integer>1</integer><array><string>deep</string></array></array></dict>"
    "<dict><key>scheduledby</key><string>b</string></dict></array></dict></plist>";

std::unique_ptr<PList::Node> parseText(const std::string& xml) {
    return NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
        NSData(std::vector<char>(xml.begin(), xml.end())), NSPropertyListImmutable, nullptr,
        nullptr);
}

TEST(PropertyListArrays, ListsInsideListsAreReachable) {
    TestPlatform device;
    auto plist = parseText(kNestedLists);
    const auto* top = NSDynamicCast<NSDictionary>(plist.get());
    ASSERT_NE(top, nullptr);
    const auto* wake = NSDynamicCast<NSArray>(top->Find("wake")->second);
    ASSERT_NE(wake, nullptr);
    ASSERT_EQ(NSArrayCount(*wake), 2u);
    auto first = NSArrayObjectAtIndex(*wake, 0);
    const auto* entry = NSDynamicCast<NSDictionary>(first.get());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(NSDynamicCast<PList::String>(entry->Find("scheduledby")->second)->GetValue(), "a");
    const auto* more = NSDynamicCast<NSArray>(entry->Find("more")->second);
    ASSERT_NE(more, nullptr);
    ASSERT_EQ(NSArrayCount(*more), 2u);
    auto inner = NSArrayObjectAtIndex(*more, 1);
    ASSERT_NE(NSDynamicCast<NSArray>(inner.get()), nullptr);
    auto deep = NSArrayObjectAtIndex(*NSDynamicCast<NSArray>(inner.get()), 0);
    EXPECT_EQ(NSDynamicCast<PList::String>(deep.get())->GetValue(), "deep");
    // Written out again, the tree is the list that was read.
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        *plist, NSPropertyListXMLFormat_v1_0, nullptr);
    auto again = parseText(std::string(data.bytes().begin(), data.bytes().end()));
    const auto* wakeAgain =
        NSDynamicCast<NSArray>(NSDynamicCast<NSDictionary>(again.get())->Find("wake")->second);
    ASSERT_NE(wakeAgain, nullptr);
    EXPECT_EQ(NSArrayCount(*wakeAgain), 2u);
}

#if !defined(__SANITIZE_ADDRESS__)
// The daemon reads the wake-request list once a day for as long as the phone runs: reading it
// must not cost memory for good.
TEST(PropertyListArrays, ReadingListsOverAndOverKeepsTheHeapFlat) {
    TestPlatform device;
    auto readAll = [] {
        auto plist = parseText(kNestedLists);
        const auto* wake =
            NSDynamicCast<NSArray>(NSDynamicCast<NSDictionary>(plist.get())->Find("wake")->second);
        for (NSUInteger i = 0; i < NSArrayCount(*wake); ++i) NSArrayObjectAtIndex(*wake, i);
    };
    for (int i = 0; i < 100; ++i) readAll();  // the allocator's own first growth
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 5000; ++i) readAll();
    const size_t after = mallinfo2().uordblks;
    // A lost wrapper per element would be hundreds of kilobytes here.
    EXPECT_LT(after > before ? after - before : 0, 16u * 1024u);
}
#endif

TEST(PropertyListDates, CopiedDateNodesStayReadable) {
    TestPlatform device;
    PList::Dictionary dict;
    dict.Set("time", NSDate::date().propertyListValue());  // Set copies the node
    std::unique_ptr<PList::Node> copy(dict.Clone());
    const auto* copied = NSDynamicCast<NSDictionary>(copy.get());
    ASSERT_TRUE(NSDate::fromPropertyList(copied->Find("time")->second));
    EXPECT_EQ(NSDate::fromPropertyList(copied->Find("time")->second)->description(),
              device.timeText());
}

TEST(PropertyListDates, MomentsBeyondTheCalendarStayNameable) {
    TestPlatform device;
    for (double far : {1e300, -1e300, std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN()}) {
        const NSDate date = NSDate::dateWithTimeIntervalSinceReferenceDate(far);
        EXPECT_EQ(date.description().size(), 19u);
        EXPECT_TRUE(NSDate::fromPropertyList(
            std::make_unique<PList::Date>(date.propertyListValue()).get()));
    }
}

}  // namespace
