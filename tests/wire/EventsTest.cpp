// The log's event types against the lines simd wrote before they were types: each renders the
// same keys in the same order, null where a value is missing and nothing where a field is
// optional, and reads back only from a line of its own source and event.
#include <gtest/gtest.h>
#include <wire/events/All.h>

#include <functional>
#include <ostream>
#include <string>

namespace {

namespace ev = wire::events;

struct Rendering {
    const char* name;
    std::function<std::string()> fields;
    const char* expected;
};

void PrintTo(const Rendering& rendering, std::ostream* out) { *out << rendering.name; }

template <ev::Event E>
std::function<std::string()> rendered(E event) {
    return [event] { return ev::fieldsOf(event).dump(); };
}

class EventRendering : public testing::TestWithParam<Rendering> {};

TEST_P(EventRendering, WritesTheFieldsAsTheLogHadThem) {
    EXPECT_EQ(GetParam().fields(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Events, EventRendering,
    testing::Values(
        Rendering{"RespringWithoutAnOldSpringBoard", rendered(ev::Respring{{}, {{612}}}),
                  R"({"old":null,"new":612})"},
        Rendering{"SleepWithNoWakeUpAhead", rendered(ev::Sleep{}), R"({"wakeAt":null})"},
        Rendering{"StrayAnswerToNoPendingQuestion",
                  rendered(ev::StrayAnswer{40, "cancel", 7, ev::OrNull<int64_t>{}}),
                  R"({"pid":40,"answer":"cancel","argument":7,"expected":null})"},
        Rendering{"StrayAnswerOfAnUnregisteredSender",
                  rendered(ev::StrayAnswer{.pid = 40, .reason = "not registered for power"}),
                  R"({"pid":40,"reason":"not registered for power"})"},
        Rendering{"IgnoredCancel",
                  rendered(ev::Answer{40, "cancel", "kIOMessageSystemWillSleep", 3, true}),
                  R"({"pid":40,"answer":"cancel","message":"kIOMessageSystemWillSleep",)"
                  R"("argument":3,"ignored":true})"},
        Rendering{"NobodyCancelled", rendered(ev::SleepCancelled{}), R"({"pids":[]})"},
        Rendering{"BootAtAWholeRate", rendered(ev::Boot{"3.1.3", 200, 120, "UTC", 9}),
                  R"({"version":"3.1.3","rate":200.0,"idleSleep":120.0,"timeZone":"UTC",)"
                  R"("pid":9})"},
        Rendering{"ClockSetKeepsItsKeywordKey", rendered(ev::ClockSet{"a", "b"}),
                  R"({"old":"a","new":"b"})"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EventReading, TakesALineOfItsOwnSourceAndEventOnly) {
    const auto respring =
        ev::read<ev::Respring>(R"({"time":"t","source":"simd","event":"respring","old":null,)"
                               R"("new":612})");
    ASSERT_TRUE(respring);
    EXPECT_FALSE(respring->old.value);
    EXPECT_EQ(respring->new_.value, 612);
    EXPECT_FALSE(ev::read<ev::Respring>(R"({"source":"powerd","event":"respring"})"));
    EXPECT_FALSE(ev::read<ev::Sleep>(R"({"source":"powerd","event":"sleep-attempt"})"));
    EXPECT_FALSE(ev::read<ev::Sleep>("not json"));
    // NSLog's lines come under the process's own name.
    const auto log = ev::read<ev::Log>(R"({"source":"VigilantPro","event":"log","pid":"x",)"
                                       R"("text":"hi"})");
    ASSERT_TRUE(log);
    EXPECT_EQ(log->pid, 0) << "a mistyped field keeps its initial value";
    EXPECT_EQ(log->text, "hi");
}

}  // namespace
