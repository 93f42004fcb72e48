// The status bar through its three routes, and what SpringBoard does with requests it does
// not understand.
#include "SpringBoardFixture.h"

namespace {

using StatusBar = SpringBoardTest;

PList::Dictionary userInfo(
    std::initializer_list<std::pair<std::string, const PList::Node*>> entries) {
    PList::Dictionary dict;
    for (const auto& [key, value] : entries) dict.Set(key, value);
    return dict;
}

Request libStatusBar(const PList::Dictionary& info) {
    return std::move(Request("center")
                         .text("center", "com.apple.springboard.libstatusbar")
                         .text("message", "setProperties:userInfo:")
                         .node("userInfo", info));
}

Request libStatusBarShow(const std::string& item) {
    const PList::String name(item);
    const PList::Integer one(uint64_t{1});
    return libStatusBar(userInfo({{"item", &name}, {"properties", &one}}));
}

Request libStatusBarHide(const std::string& item) {
    const PList::String name(item);
    return libStatusBar(userInfo({{"item", &name}}));
}

// A show or hide request by one route.
struct Route {
    const char* name;
    Request (*show)(const std::string& item, mach_port_t port);
    Request (*hide)(const std::string& item, mach_port_t port);
};

Request direct(const char* route, const std::string& item, bool show, mach_port_t port) {
    return std::move(Request("statusbar")
                         .text("route", route)
                         .flag("show", show)
                         .text("item", item)
                         .integer("port", port)
                         .integer("pid", 4242));
}

const Route kRoutes[] = {
    {"UIApplication",
     [](const std::string& item, mach_port_t) { return direct("UIApplication", item, true, 0); },
     [](const std::string& item, mach_port_t) { return direct("UIApplication", item, false, 0); }},
    {"SpringBoardServices",
     [](const std::string& item, mach_port_t port) {
         return direct("SpringBoardServices", item, true, port);
     },
     [](const std::string& item, mach_port_t port) {
         return direct("SpringBoardServices", item, false, port);
     }},
    {"libstatusbar", [](const std::string& item, mach_port_t) { return libStatusBarShow(item); },
     [](const std::string& item, mach_port_t) { return libStatusBarHide(item); }},
};

class EveryRoute : public SpringBoardTest, public testing::WithParamInterface<Route> {};

TEST_P(EveryRoute, ShowsAndHidesWithOneEventEach) {
    const Route& route = GetParam();
    EXPECT_TRUE(ok(send(route.show("VigilantPro", kPort))));
    EXPECT_EQ(statusBarFile(), (std::vector<std::string>{"VigilantPro"}));
    EXPECT_TRUE(ok(send(route.hide("VigilantPro", kPort))));
    EXPECT_TRUE(statusBarFile().empty());
    EXPECT_TRUE(std::filesystem::exists(files.statusBar)) << "an empty bar is written too";

    ASSERT_EQ(events.events.size(), 2u);
    EXPECT_EQ(events.events[0].name, "statusbar-show");
    EXPECT_EQ(events.events[1].name, "statusbar-hide");
    for (const auto& e : events.events) {
        EXPECT_EQ(e.fields.at("item"), "VigilantPro");
        EXPECT_EQ(e.fields.at("route"), route.name);
    }
}

TEST_P(EveryRoute, ARepeatedShowChangesNothing) {
    const Route& route = GetParam();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(ok(send(route.show("VigilantPro", kPort))));
    EXPECT_EQ(statusBarFile(), (std::vector<std::string>{"VigilantPro"}));
    EXPECT_EQ(events.named("statusbar-show").size(), 1u);
}

TEST_P(EveryRoute, HidingWhatIsNotShownChangesNothing) {
    EXPECT_TRUE(ok(send(GetParam().hide("VigilantPro", kPort))));
    EXPECT_TRUE(events.events.empty());
    EXPECT_FALSE(std::filesystem::exists(files.statusBar));
}

INSTANTIATE_TEST_SUITE_P(Routes, EveryRoute, testing::ValuesIn(kRoutes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StatusBar, KeepsItemsInTheOrderFirstShownWhateverTheRoute) {
    send(kRoutes[0].show("A", kPort));
    send(kRoutes[1].show("B", kPort));
    send(kRoutes[2].show("C", kPort));
    send(kRoutes[2].show("A", kPort));  // shown already, by another route
    EXPECT_EQ(statusBarFile(), (std::vector<std::string>{"A", "B", "C"}));
    send(kRoutes[0].hide("B", kPort));
    EXPECT_EQ(statusBarFile(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(springBoard->statusBar().items(), (std::vector<std::string>{"A", "C"}));
}

TEST_F(StatusBar, ServerPortIsNonzeroAndGuardsSpringBoardServices) {
    const auto reply = send(Request("sbs-port"));
    EXPECT_TRUE(ok(reply));
    EXPECT_EQ(base::integerAt(reply, "port"), kPort);

    const auto refused = send(kRoutes[1].show("VigilantPro", kPort + 1));
    EXPECT_FALSE(ok(refused));
    EXPECT_FALSE(base::stringAt(refused, "error").value_or("").empty());
    EXPECT_TRUE(events.events.empty());
    EXPECT_EQ(logLinesContaining("statusbar request ignored"), 1u);
    // The application object's route has no port to check.
    EXPECT_TRUE(ok(send(kRoutes[0].show("VigilantPro", kPort + 1))));
}

TEST_F(StatusBar, ForgetsTheStateOfAnEarlierSpringBoard) {
    send(kRoutes[0].show("Stale", kPort));
    startSpringBoard();
    EXPECT_FALSE(std::filesystem::exists(files.statusBar));
    EXPECT_TRUE(springBoard->statusBar().items().empty());
}

// libstatusbar payloads that must change nothing.
struct BadPayload {
    const char* name;
    Request request;
};

std::vector<BadPayload> badPayloads() {
    const PList::String item("VigilantPro");
    const PList::String empty("");
    const PList::Integer one(uint64_t{1});
    const PList::Integer zero(uint64_t{0});
    const PList::Integer two(uint64_t{2});
    const PList::String oneText("1");
    const PList::Boolean yes(true);
    return {
        {"PropertiesZero", libStatusBar(userInfo({{"item", &item}, {"properties", &zero}}))},
        {"PropertiesTwo", libStatusBar(userInfo({{"item", &item}, {"properties", &two}}))},
        {"PropertiesText", libStatusBar(userInfo({{"item", &item}, {"properties", &oneText}}))},
        {"PropertiesBoolean", libStatusBar(userInfo({{"item", &item}, {"properties", &yes}}))},
        {"ThreeEntries",
         libStatusBar(userInfo({{"item", &item}, {"properties", &one}, {"extra", &one}}))},
        {"OtherSecondEntry", libStatusBar(userInfo({{"item", &item}, {"visible", &one}}))},
        {"NoItem", libStatusBar(userInfo({{"properties", &one}}))},
        {"EmptyItem", libStatusBar(userInfo({{"item", &empty}, {"properties", &one}}))},
        {"ItemNotText", libStatusBar(userInfo({{"item", &one}, {"properties", &one}}))},
        {"NoUserInfo", Request("center")
                           .text("center", "com.apple.springboard.libstatusbar")
                           .text("message", "setProperties:userInfo:")},
        {"OtherCenter",
         std::move(libStatusBarShow("VigilantPro").text("center", "com.example.other"))},
        {"OtherMessage",
         std::move(libStatusBarShow("VigilantPro").text("message", "setProperties:"))},
    };
}

class IgnoredPayload : public SpringBoardTest, public testing::WithParamInterface<BadPayload> {};

TEST_P(IgnoredPayload, IsLoggedAndChangesNothing) {
    send(libStatusBarShow("Other"));  // something shown already must stay
    events.events.clear();
    const auto reply = send(GetParam().request);
    EXPECT_FALSE(ok(reply));
    EXPECT_EQ(logLinesContaining("center request ignored"), 1u);
    EXPECT_TRUE(events.events.empty());
    EXPECT_EQ(statusBarFile(), (std::vector<std::string>{"Other"}));
}

INSTANTIATE_TEST_SUITE_P(Payloads, IgnoredPayload, testing::ValuesIn(badPayloads()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StatusBar, MalformedRequestsAreRefusedNeverACrash) {
    const PList::Integer number(uint64_t{7});
    const std::vector<Request> requests = {
        Request("no-such-op"),
        std::move(
            Request("statusbar").text("route", "Carrier").flag("show", true).text("item", "A")),
        std::move(Request("statusbar").text("route", "UIApplication").text("item", "A")),
        std::move(Request("statusbar").text("route", "UIApplication").flag("show", true)),
        std::move(Request("statusbar")
                      .text("route", "UIApplication")
                      .flag("show", true)
                      .node("item", number)),
        std::move(Request("statusbar")
                      .text("route", "SpringBoardServices")
                      .flag("show", true)
                      .text("item", "A")),
    };
    for (const Request& r : requests) EXPECT_FALSE(ok(send(r)));
    PList::Dictionary noOp;
    EXPECT_FALSE(ok(springBoard->handle(noOp)));
    EXPECT_TRUE(events.events.empty());
    EXPECT_FALSE(std::filesystem::exists(files.statusBar));
}

}  // namespace
