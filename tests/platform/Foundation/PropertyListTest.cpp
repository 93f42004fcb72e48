// Property lists: what is written reads back the same (integers, booleans, dates), in both
// formats; data that is no property list reads as none.
#include <gtest/gtest.h>
#include <malloc.h>

#include <limits>

#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

NSObject roundTrip(const NSObject& object, NSPropertyListFormat format) {
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        object, format, nullptr);
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
        NSDictionary dict;
        dict.setObjectForKey(NSNumber::numberWithInteger(value), "n");
        const auto read = NSDynamicCast<NSDictionary>(roundTrip(dict, GetParam()));
        ASSERT_TRUE(read);
        auto number = NSDynamicCast<NSNumber>(read->objectForKey("n"));
        ASSERT_TRUE(number);
        EXPECT_EQ(number->integerValue(), value);
        EXPECT_FALSE(number->isBoolean());
    }
}

TEST_P(PropertyListRoundTrip, BooleansStayBooleans) {
    TestPlatform device;
    for (bool value : {true, false}) {
        NSDictionary dict;
        dict.setObjectForKey(NSNumber::numberWithBool(value), "b");
        const auto read = NSDynamicCast<NSDictionary>(roundTrip(dict, GetParam()));
        ASSERT_TRUE(read);
        auto number = NSDynamicCast<NSNumber>(read->objectForKey("b"));
        ASSERT_TRUE(number);
        EXPECT_TRUE(number->isBoolean());
        EXPECT_EQ(number->boolValue(), value);
    }
}

TEST_P(PropertyListRoundTrip, DatesKeepTheirMoment) {
    TestPlatform device;
    device.setTime("2026-12-07 17:01:37");
    const NSDate moment = NSDate::date().dateByAddingTimeInterval(57540);
    NSDictionary dict;
    dict.setObjectForKey(moment, "time");
    const auto read = NSDynamicCast<NSDictionary>(roundTrip(dict, GetParam()));
    ASSERT_TRUE(read);
    auto date = NSDynamicCast<NSDate>(read->objectForKey("time"));
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
    EXPECT_FALSE(
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            std::nullopt, NSPropertyListImmutable, nullptr, &error));
    EXPECT_FALSE(error.empty());
    for (const std::string& bytes : foreign) {
        EXPECT_FALSE(
            NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
                NSData(std::vector<char>(bytes.begin(), bytes.end())), NSPropertyListImmutable,
                nullptr, nullptr))
            << bytes;
    }
}

TEST(PropertyListParsing, DynamicCastTellsKindsApart) {
    const NSObject text("x");
    const NSObject number(NSNumber::numberWithInt(3));
    EXPECT_EQ(NSDynamicCast<NSString>(text), std::optional<NSString>("x"));
    EXPECT_FALSE(NSDynamicCast<NSNumber>(text));
    EXPECT_FALSE(NSDynamicCast<NSDate>(number));
    EXPECT_FALSE(NSDynamicCast<NSDictionary>(NSObject()));
    EXPECT_FALSE(NSDynamicCast<NSString>(NSObject(static_cast<const char*>(nullptr))));
    ASSERT_TRUE(NSDynamicCast<NSNumber>(number));
    EXPECT_EQ(NSDynamicCast<NSNumber>(number)->intValue(), 3);
}

std::string nestedArrays(int depth) {
    std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < depth; ++i) xml += "<array>";
    for (int i = 0; i < depth; ++i) xml += "</array>";
    return xml + "</plist>";
}

// A list nested far deeper than any real file (libplist reads it) is refused rather than walked
// to the end of the stack; a deep but sane one is read.
TEST(PropertyListParsing, ListsNestedBeyondAnyRealFileAreRefused) {
    TestPlatform device;
    for (const auto& [depth, readable] : {std::pair{400, true}, {600, false}, {40000, false}}) {
        const std::string xml = nestedArrays(depth);
        NSString error;
        const NSObject plist =
            NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
                NSData(std::vector<char>(xml.begin(), xml.end())), NSPropertyListImmutable, nullptr,
                &error);
        EXPECT_EQ(static_cast<bool>(NSDynamicCast<NSArray>(plist)), readable) << depth;
        EXPECT_EQ(error.empty(), readable) << depth << ": " << error;
    }
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
    const auto array = NSDynamicCast<NSArray>(
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            NSData(std::vector<char>(xml.begin(), xml.end())), NSPropertyListImmutable, nullptr,
            nullptr));
    ASSERT_TRUE(array);
    ASSERT_EQ(array->count(), 3u);
    EXPECT_EQ(NSDynamicCast<NSString>(array->objectAtIndex(0)), std::optional<NSString>("a"));
    const auto second = NSDynamicCast<NSDate>(array->objectAtIndex(1));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->description(), "2026-12-08 09:00:37");
    ASSERT_TRUE(NSDynamicCast<NSNumber>(array->objectAtIndex(2)));
    EXPECT_EQ(NSDynamicCast<NSNumber>(array->objectAtIndex(2))->integerValue(), -3);
    EXPECT_FALSE(array->objectAtIndex(3));
}

// A wake-request list: lists of dictionaries holding lists, as anyone may write it.
const std::string kNestedLists =
    "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>wake</key><array>"
    "<dict><key>scheduledby</key><string>a</string><key>more</key>"
    "<array><integer>1</integer><array><string>deep</string></array></array></dict>"
    "<dict><key>scheduledby</key><string>b</string></dict></array></dict></plist>";

NSObject parseText(const std::string& xml) {
    return NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
        NSData(std::vector<char>(xml.begin(), xml.end())), NSPropertyListImmutable, nullptr,
        nullptr);
}

TEST(PropertyListArrays, ListsInsideListsAreReachable) {
    TestPlatform device;
    const NSObject plist = parseText(kNestedLists);
    const auto top = NSDynamicCast<NSDictionary>(plist);
    ASSERT_TRUE(top);
    const auto wake = NSDynamicCast<NSArray>(top->objectForKey("wake"));
    ASSERT_TRUE(wake);
    ASSERT_EQ(wake->count(), 2u);
    const auto entry = NSDynamicCast<NSDictionary>(wake->objectAtIndex(0));
    ASSERT_TRUE(entry);
    EXPECT_EQ(NSDynamicCast<NSString>(entry->objectForKey("scheduledby")),
              std::optional<NSString>("a"));
    const auto more = NSDynamicCast<NSArray>(entry->objectForKey("more"));
    ASSERT_TRUE(more);
    ASSERT_EQ(more->count(), 2u);
    const auto inner = NSDynamicCast<NSArray>(more->objectAtIndex(1));
    ASSERT_TRUE(inner);
    EXPECT_EQ(NSDynamicCast<NSString>(inner->objectAtIndex(0)), std::optional<NSString>("deep"));
    // Written out again, the tree is the list that was read.
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        plist, NSPropertyListXMLFormat_v1_0, nullptr);
    const NSObject again = parseText(std::string(data.bytes().begin(), data.bytes().end()));
    EXPECT_EQ(again, plist);
}

#if !defined(__SANITIZE_ADDRESS__)
// The daemon reads the wake-request list once a day for as long as the phone runs: reading it
// must not cost memory for good.
TEST(PropertyListArrays, ReadingListsOverAndOverKeepsTheHeapFlat) {
    TestPlatform device;
    auto readAll = [] {
        const auto wake = NSDynamicCast<NSArray>(
            NSDynamicCast<NSDictionary>(parseText(kNestedLists))->objectForKey("wake"));
        for (NSUInteger i = 0; i < wake->count(); ++i) wake->objectAtIndex(i);
    };
    for (int i = 0; i < 100; ++i) readAll();  // the allocator's own first growth
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 5000; ++i) readAll();
    const size_t after = mallinfo2().uordblks;
    // A lost wrapper per element would be hundreds of kilobytes here.
    EXPECT_LT(after > before ? after - before : 0, 16u * 1024u);
}
#endif

TEST(PropertyListDates, CopiedDatesStayReadable) {
    TestPlatform device;
    NSDictionary dict;
    dict.setObjectForKey(NSDate::date(), "time");
    const NSDictionary copy = dict;
    const auto date = NSDynamicCast<NSDate>(copy.objectForKey("time"));
    ASSERT_TRUE(date);
    EXPECT_EQ(date->description(), device.timeText());
    // And a date parsed from a list stays readable through copies too.
    const auto parsed =
        NSDynamicCast<NSDictionary>(roundTrip(copy, NSPropertyListBinaryFormat_v1_0));
    ASSERT_TRUE(parsed);
    const NSDictionary parsedCopy = *parsed;
    ASSERT_TRUE(NSDynamicCast<NSDate>(parsedCopy.objectForKey("time")));
    EXPECT_EQ(NSDynamicCast<NSDate>(parsedCopy.objectForKey("time"))->description(),
              device.timeText());
}

TEST(PropertyListDates, MomentsBeyondTheCalendarStayNameable) {
    TestPlatform device;
    for (double far : {1e300, -1e300, std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN()}) {
        const NSDate date = NSDate::dateWithTimeIntervalSinceReferenceDate(far);
        EXPECT_EQ(date.description().size(), 19u);
        const auto back = NSDynamicCast<NSDate>(roundTrip(date, NSPropertyListXMLFormat_v1_0));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->description().size(), 19u);
    }
}

}  // namespace
