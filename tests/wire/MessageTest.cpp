// The typed messages against the wire as its unconverted parties write it: each message
// encodes to the very bytes the device backend, simctl, simd and SpringBoard put on the wire
// by hand, and reads what they send as they read it (fallbacks, mistyped fields, the fields
// of a logged event).
#include <base/PlistFile.h>
#include <gtest/gtest.h>
#include <wire/HandlerTable.h>
#include <wire/Message.h>
#include <wire/messages/Device.h>
#include <wire/messages/Launchd.h>
#include <wire/messages/Power.h>
#include <wire/messages/SpringBoard.h>
#include <wire/messages/Wake.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Builds a dictionary key by key, in order, as the hand-written senders do.
class Dict {
  public:
    Dict& text(const char* key, const std::string& value) { return set(key, PList::String(value)); }
    Dict& integer(const char* key, uint64_t value) { return set(key, PList::Integer(value)); }
    Dict& real(const char* key, double value) { return set(key, PList::Real(value)); }
    Dict& flag(const char* key, bool value) { return set(key, PList::Boolean(value)); }
    Dict& strings(const char* key, const std::vector<std::string>& values) {
        PList::Array array;
        for (const std::string& v : values) {
            PList::String item(v);
            array.Append(&item);
        }
        return set(key, array);
    }
    Dict& dict(const char* key, const PList::Dictionary& value) { return set(key, value); }
    const PList::Dictionary& get() const { return dict_; }

  private:
    Dict& set(const char* key, const PList::Node& value) {
        dict_.Set(key, value);
        return *this;
    }
    PList::Dictionary dict_;
};

Dict request(const char* op) { return std::move(Dict().text("op", op)); }

struct WireCase {
    const char* name;
    std::function<PList::Dictionary()> typed;     // the message encoded from its type
    std::function<PList::Dictionary()> handMade;  // as a party writes it by hand today
    // Decodes `handMade` with the type and encodes it again.
    std::function<PList::Dictionary(const PList::Dictionary&)> roundTrip;
};

template <class M>
std::function<PList::Dictionary(const PList::Dictionary&)> roundTripOf() {
    return [](const PList::Dictionary& d) { return wire::encode(wire::decode<M>(d)); };
}

PList::Dictionary userInfo() {
    PList::Dictionary info;
    info.Set("item", PList::String("VigilantPro"));
    info.Set("properties", PList::Integer(uint64_t{1}));
    return info;
}

std::vector<WireCase> wireCases() {
    using namespace wire;
    const double date = 299000000.5;
    return {
        {"hello", [] { return encode(Hello{4242}); },
         [] { return request("hello").integer("pid", 4242).get(); }, roundTripOf<Hello>()},
        {"log",
         [] {
             LogEvent event;
             event.details.dict = std::make_unique<PList::Dictionary>(
                 Dict().integer("pid", 7).text("process", "app").text("text", "hi").get());
             event.source = "app";
             event.event = "log";
             return encode(event);
         },
         [] {
             return request("log")
                 .integer("pid", 7)
                 .text("process", "app")
                 .text("text", "hi")
                 .text("source", "app")
                 .text("event", "log")
                 .get();
         },
         roundTripOf<LogEvent>()},
        {"power-register", [] { return encode(PowerRegister{31}); },
         [] { return request("power-register").integer("pid", 31).get(); },
         roundTripOf<PowerRegister>()},
        {"power-answer",
         [] {
             return encode(PowerAnswer{0x1001, false});
         },
         [] {
             return request("power-answer").integer("argument", 0x1001).flag("allow", false).get();
         },
         roundTripOf<PowerAnswer>()},
        {"power push",
         [] {
             return encode(PowerMessage{0xE0000270u, 0x1002});
         },
         [] {
             return request("power")
                 .integer("message", 0xE0000270u)
                 .integer("argument", 0x1002)
                 .get();
         },
         roundTripOf<PowerMessage>()},
        {"schedule-wake",
         [=] {
             return encode(ScheduleWake{{date, "com.quillmoor.vigilantpro", 9}});
         },
         [=] {
             return request("schedule-wake")
                 .real("time", date)
                 .text("identifier", "com.quillmoor.vigilantpro")
                 .integer("pid", 9)
                 .get();
         },
         roundTripOf<ScheduleWake>()},
        {"launchctl-unload",
         [] {
             return encode(LaunchctlUnload{{"/x/job.plist", true}});
         },
         [] {
             return request("launchctl-unload")
                 .text("path", "/x/job.plist")
                 .flag("persist", true)
                 .get();
         },
         roundTripOf<LaunchctlUnload>()},
        {"launch (as simctl sends it, no arguments)",
         [] {
             return encode(Launch{"/Applications/A.app/A", {}, {"HOME=/var/mobile", "LANG=C"}});
         },
         [] {
             return request("launch")
                 .text("program", "/Applications/A.app/A")
                 .strings("environment", {"HOME=/var/mobile", "LANG=C"})
                 .get();
         },
         roundTripOf<Launch>()},
        {"statusbar by SpringBoardServices",
         [] {
             return encode(StatusBarRequest{"SpringBoardServices", true, "VigilantPro", 77, 0, 12});
         },
         [] {
             return request("statusbar")
                 .text("route", "SpringBoardServices")
                 .flag("show", true)
                 .text("item", "VigilantPro")
                 .integer("port", 77)
                 .integer("flags", 0)
                 .integer("pid", 12)
                 .get();
         },
         roundTripOf<StatusBarRequest>()},
        {"center",
         [] {
             return encode(CenterMessage{
                 "com.apple.springboard.libstatusbar",
                 "setProperties:userInfo:", std::make_unique<PList::Dictionary>(userInfo()), 12});
         },
         [] {
             return request("center")
                 .text("center", "com.apple.springboard.libstatusbar")
                 .text("message", "setProperties:userInfo:")
                 .dict("userInfo", userInfo())
                 .integer("pid", 12)
                 .get();
         },
         roundTripOf<CenterMessage>()},
        {"schedule-notification",
         [=] {
             return encode(ScheduleNotification{
                 "com.quillmoor.vigilantpro", date, {true, 64}, "", "Default.png", 12});
         },
         [=] {
             return request("schedule-notification")
                 .text("app", "com.quillmoor.vigilantpro")
                 .real("fireDate", date)
                 .integer("repeatInterval", 64)
                 .text("body", "")
                 .text("launchImage", "Default.png")
                 .integer("pid", 12)
                 .get();
         },
         roundTripOf<ScheduleNotification>()},
        {"notify (as simctl sends it)",
         [] {
             NotifyRequest notify;
             notify.app = "a.b";
             notify.fireIn = 5.0;
             notify.repeat = {true, "minute"};
             notify.body = "Wake up";
             return encode(notify);
         },
         [] {
             return request("notify")
                 .text("app", "a.b")
                 .real("fireIn", 5.0)
                 .text("repeat", "minute")
                 .text("body", "Wake up")
                 .get();
         },
         roundTripOf<NotifyRequest>()},
        {"notify with no repeat and an empty body (as simctl sends it)",
         [] {
             NotifyRequest notify;
             notify.app = "a.b";
             notify.fireIn = 0.0;
             notify.body = "";
             notify.launchImage = "Default.png";
             return encode(notify);
         },
         [] {
             return request("notify")
                 .text("app", "a.b")
                 .real("fireIn", 0.0)
                 .text("body", "")
                 .text("launchImage", "Default.png")
                 .get();
         },
         roundTripOf<NotifyRequest>()},
        {"cancel-notifications (as simctl sends it)",
         [] {
             return encode(CancelNotifications{"a.b", std::nullopt});
         },
         [] { return request("cancel-notifications").text("app", "a.b").get(); },
         roundTripOf<CancelNotifications>()},
        {"alert (as simctl sends it)",
         [] {
             return encode(AlertRequest{"Hi", std::nullopt, true});
         },
         [] { return request("alert").text("body", "Hi").flag("plain", true).get(); },
         roundTripOf<AlertRequest>()},
        {"power-probe (as simctl sends it)", [] { return encode(PowerProbe{"will-sleep"}); },
         [] { return request("power-probe").text("message", "will-sleep").get(); },
         roundTripOf<PowerProbe>()},
        {"shutdown", [] { return encode(Shutdown{}); }, [] { return request("shutdown").get(); },
         roundTripOf<Shutdown>()},
        {"reply refused", [] { return encode(Reply::refused("no app")); },
         [] { return Dict().flag("ok", false).text("error", "no app").get(); },
         roundTripOf<Reply>()},
        {"reply accepted", [] { return encode(Reply::accepted()); },
         [] { return Dict().flag("ok", true).get(); }, roundTripOf<Reply>()},
        {"power-register reply",
         [] {
             return encode(PowerRegistered{true, 3});
         },
         [] { return Dict().flag("ok", true).integer("client", 3).get(); },
         roundTripOf<PowerRegistered>()},
        {"wake reply",
         [] {
             return encode(WakeReply{false, 0});
         },
         [] { return Dict().flag("ok", false).integer("removed", 0).get(); },
         roundTripOf<WakeReply>()},
        {"job reply with a note",
         [] {
             return encode(JobReply{true, std::nullopt, "x: already loaded"});
         },
         [] { return Dict().flag("ok", true).text("note", "x: already loaded").get(); },
         roundTripOf<JobReply>()},
        {"json reply",
         [] {
             return encode(JsonReply{true, "[]"});
         },
         [] { return Dict().flag("ok", true).text("json", "[]").get(); }, roundTripOf<JsonReply>()},
        {"sbs-port reply",
         [] {
             return encode(PortReply{true, 0x5eed});
         },
         [] { return Dict().flag("ok", true).integer("port", 0x5eed).get(); },
         roundTripOf<PortReply>()},
    };
}

TEST(WireMessages, EncodeToTheBytesTheirHandWrittenSendersPutOnTheWire) {
    for (const WireCase& c : wireCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.typed().ToBin(), c.handMade().ToBin());
        EXPECT_EQ(c.roundTrip(c.handMade()).ToBin(), c.handMade().ToBin());
    }
}

TEST(WireMessages, MissingOrMistypedFieldsReadAsTheirFallbacks) {
    const auto answer =
        wire::decode<wire::PowerAnswer>(request("power-answer").text("argument", "12").get());
    EXPECT_FALSE(answer.argument) << "a string is no argument";
    EXPECT_TRUE(answer.allow) << "no allow: the answer allows";
    EXPECT_FALSE(wire::decode<wire::PowerAnswer>(
                     request("power-answer").integer("argument", 1).flag("allow", false).get())
                     .allow);

    // A time may come as an integer; the peer's pid is used when none is named.
    const auto booking =
        wire::decode<wire::ScheduleWake>(request("schedule-wake").integer("time", 300).get());
    EXPECT_EQ(booking.time, 300.0);
    EXPECT_EQ(booking.identifier, "");
    EXPECT_FALSE(booking.pid);

    const auto log = wire::decode<wire::LogEvent>(request("log").integer("source", 3).get());
    EXPECT_EQ(log.source, "unknown");
    EXPECT_EQ(log.event, "log");

    const auto launch =
        wire::decode<wire::Launch>(request("launch").strings("arguments", {"a"}).get());
    EXPECT_EQ(launch.arguments, std::vector<std::string>{"a"});
    EXPECT_TRUE(launch.environment.empty());
}

TEST(WireMessages, AGivenFieldTellsAbsentFromNamedButNotUnderstood) {
    struct Row {
        const char* name;
        Dict message;
        bool present;
        std::optional<int64_t> value;
    };
    const std::vector<Row> rows = {
        {"absent", request("schedule-notification"), false, std::nullopt},
        {"a string", std::move(request("schedule-notification").text("repeatInterval", "minute")),
         true, std::nullopt},
        {"the minute", std::move(request("schedule-notification").integer("repeatInterval", 64)),
         true, 64},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto n = wire::decode<wire::ScheduleNotification>(row.message.get());
        EXPECT_EQ(n.repeatInterval.present, row.present);
        EXPECT_EQ(n.repeatInterval.value, row.value);
    }
}

// A logged event's own fields arrive whole, dates too (libplist++ 2.2 corrupts a date it
// copies), and the keys the type names stay out of them.
TEST(WireMessages, ALoggedEventKeepsItsOwnFieldsDatesIncluded) {
    PList::Dictionary sent = request("log")
                                 .text("source", "SpringBoard")
                                 .text("event", "notification-fired")
                                 .text("app", "a.b")
                                 .get();
    plist_dict_set_item(sent.GetPlist(), "fireDate", plist_new_date(299000000, 0));
    const PList::Dictionary received(plist_copy(sent.GetPlist()));  // as it comes off the wire

    const auto event = wire::decode<wire::LogEvent>(received);
    EXPECT_EQ(event.source, "SpringBoard");
    EXPECT_EQ(event.event, "notification-fired");
    ASSERT_TRUE(event.details.dict);
    const PList::Dictionary& own = *event.details.dict;
    EXPECT_EQ(own.Find("op"), own.End());
    EXPECT_EQ(own.Find("source"), own.End());
    EXPECT_EQ(own.Find("event"), own.End());
    EXPECT_EQ(base::stringAt(own, "app"), "a.b");
    EXPECT_EQ(base::dateAt(own, "fireDate"), 299000000.0);

    // Sent on again, the fields the type names have the last word.
    wire::LogEvent forwarded = wire::decode<wire::LogEvent>(received);
    plist_dict_set_item(forwarded.details.dict->GetPlist(), "source", plist_new_string("forged"));
    forwarded.source = "simd";
    const PList::Dictionary encoded = wire::encode(forwarded);
    EXPECT_EQ(base::stringAt(encoded, "source").value_or(""), "simd");
    EXPECT_EQ(base::stringAt(encoded, "op").value_or(""), "log");
}

TEST(WireMessages, AHandlerTableServesEachOpWithItsType) {
    wire::HandlerTable<std::string(int)> table;
    table
        .on<wire::PowerAnswer>([](int n, const wire::PowerAnswer& m) {
            return std::to_string(n) + (m.allow ? " allow" : " cancel");
        })
        .on<wire::Hello>([](int n, const wire::Hello& m) {
            return std::to_string(n) + " hello " + std::to_string(m.pid.value_or(-1));
        });
    const auto* answer = table.find("power-answer");
    ASSERT_TRUE(answer);
    EXPECT_EQ((*answer)(1, request("power-answer").flag("allow", false).get()), "1 cancel");
    const auto* hello = table.find("hello");
    ASSERT_TRUE(hello);
    EXPECT_EQ((*hello)(2, request("hello").integer("pid", 5).get()), "2 hello 5");
    EXPECT_EQ(table.find("power"), nullptr);
    EXPECT_EQ(table.find(""), nullptr);
}

}  // namespace
