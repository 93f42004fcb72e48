// The extension inside the real SpringBoard of a simulated iOS 4.0 device: the keep-alive
// notification keeps firing every device minute and none of its alerts reaches the screen,
// every other alert does, once; the extension starts once per SpringBoard start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <map>

#include "DeviceSession.h"
#include "KeepAliveMarker.h"

namespace {

using e2e::DeviceSession;
using e2e::Json;
using Events = std::vector<Json>;

// Fast enough that several device minutes pass in seconds, slow enough that a busy machine
// still fires each minute's timer within that minute.
constexpr double kRate = 20;
constexpr double kHostBudget = 180;  // real seconds any one wait may take on a loaded machine
constexpr char kApp[] = "com.quillmoor.vigilantpro";
constexpr char kKeepAliveBody[] =
    "Vigilant keeps this device awake. Install VigilantSubstrate "
    "to hide this message.";
constexpr char kStartingUp[] = "VigilantSubstrate: starting up...";
constexpr char kStarted[] = "VigilantSubstrate: successfully started.";

using e2e::deviceSeconds;

Events named(const Events& events, const std::string& event) {
    return e2e::eventsNamed(events, event);
}

size_t shownWithBody(const Events& events, const std::string& body) {
    const Events shown = named(events, "alert-shown");
    return std::count_if(shown.begin(), shown.end(),
                         [&](const Json& e) { return e.value("body", "") == body; });
}

// The extension's own log lines, per SpringBoard process, in the order they were logged.
std::map<long long, std::vector<std::string>> extensionLinesByProcess(const Events& events) {
    std::map<long long, std::vector<std::string>> lines;
    for (const Json& e : named(events, "log")) {
        const std::string text = e.value("text", "");
        if (e.value("process", "") == "SpringBoard" && text.rfind("VigilantSubstrate:", 0) == 0)
            lines[e.value("pid", -1LL)].push_back(text);
    }
    return lines;
}

std::vector<long long> springBoardStarts(const Events& events) {
    std::vector<long long> pids;
    for (const Json& e : named(events, "process-started"))
        if (e.value("name", "") == "SpringBoard") pids.push_back(e.value("pid", -1LL));
    return pids;
}

class ExtensionOnDevice : public testing::Test {
  protected:
    int notify(const std::string& body, const std::string& fireIn, const char* launchImage,
               bool everyMinute = false) {
        std::vector<std::string> args{"notify",    device.root(), "--app",  kApp,
                                      "--fire-in", fireIn,        "--body", body};
        if (launchImage) args.insert(args.end(), {"--launch-image", launchImage});
        if (everyMinute) args.insert(args.end(), {"--repeat", "minute"});
        return device.simctl(args).status;
    }

    int alert(const std::string& body, const char* launchImage, bool plain) {
        std::vector<std::string> args{"alert", device.root(), "--body", body};
        if (launchImage) args.insert(args.end(), {"--launch-image", launchImage});
        if (plain) args.push_back("--plain");
        return device.simctl(args).status;
    }

    // SpringBoard handles its requests one after the other: once an alert asked for last is
    // shown, everything asked for before it has been dealt with.
    void flushSpringBoard(const std::string& sentinel) {
        ASSERT_EQ(alert(sentinel, nullptr, true), 0) << device.lastOutput();
        ASSERT_TRUE(device.waitForEvents(
            [&](const Events& e) { return shownWithBody(e, sentinel) > 0; }, kHostBudget))
            << "SpringBoard never showed " << sentinel;
    }

    void bootWithExtension() {
        device.installExtension();
        ASSERT_TRUE(device.boot(kRate)) << device.lastOutput();
    }

    DeviceSession device{"4.0"};
};

TEST_F(ExtensionOnDevice, KeepAliveNotificationFiresEveryMinuteAndIsNeverShown) {
    ASSERT_NO_FATAL_FAILURE(bootWithExtension());
    ASSERT_EQ(notify(kKeepAliveBody, "60", kKeepAliveLaunchImage, true), 0) << device.lastOutput();

    constexpr size_t kFirings = 5;
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return named(e, "notification-fired").size() >= kFirings; },
        kHostBudget + kFirings * 60 / kRate))
        << "the keep-alive notification did not fire " << kFirings << " times";
    ASSERT_NO_FATAL_FAILURE(flushSpringBoard("after the firings"));

    const Events events = device.events();
    const Events booked = named(events, "notification-booked");
    ASSERT_EQ(booked.size(), 1u);
    const long long firstFire = deviceSeconds(booked[0]["fireDate"]);
    EXPECT_NEAR(firstFire - deviceSeconds(booked[0]["time"]), 60, 1);

    const Events fired = named(events, "notification-fired");
    for (size_t k = 0; k < fired.size(); ++k) {
        SCOPED_TRACE("firing " + std::to_string(k));
        const long long due = deviceSeconds(fired[k]["fireDate"]);
        EXPECT_EQ(due, firstFire + 60 * static_cast<long long>(k));
        const long long at = deviceSeconds(fired[k]["time"]);
        EXPECT_GE(at, due);
        EXPECT_LT(at, due + 60);
        EXPECT_EQ(fired[k].value("launchImage", ""), kKeepAliveLaunchImage);
    }
    EXPECT_EQ(shownWithBody(events, kKeepAliveBody), 0u);
    const Json alerts = device.status()["alerts"];
    ASSERT_TRUE(alerts.is_array());
    ASSERT_EQ(alerts.size(), 1u) << alerts.dump();
    EXPECT_EQ(alerts[0].value("body", ""), "after the firings");
}

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST_F(ExtensionOnDevice, EveryOtherAlertIsShownOnce) {
    ASSERT_NO_FATAL_FAILURE(bootWithExtension());
    const std::string marker = kKeepAliveLaunchImage;
    const std::string lower = lowerCase(marker), before = " " + marker, after = marker + " ";
    struct Notification {
        std::string body;
        const char* launchImage;
    };
    const std::vector<Notification> shown = {
        {"marker in lower case", lower.c_str()},
        {"space before the marker", before.c_str()},
        {"space after the marker", after.c_str()},
        {"no launch image", nullptr},
    };
    for (const Notification& n : shown)
        ASSERT_EQ(notify(n.body, "0", n.launchImage), 0) << device.lastOutput();
    ASSERT_EQ(notify("the marker itself", "0", kKeepAliveLaunchImage), 0) << device.lastOutput();
    // A system alert does not answer alertLaunchImage, whatever it carries inside.
    ASSERT_EQ(alert("system alert", kKeepAliveLaunchImage, true), 0) << device.lastOutput();

    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return named(e, "notification-fired").size() >= 5; }, kHostBudget));
    ASSERT_NO_FATAL_FAILURE(flushSpringBoard("after the others"));

    const Events events = device.events();
    for (const Notification& n : shown) {
        SCOPED_TRACE(n.body);
        EXPECT_EQ(shownWithBody(events, n.body), 1u);
    }
    EXPECT_EQ(shownWithBody(events, "system alert"), 1u);
    EXPECT_EQ(shownWithBody(events, "the marker itself"), 0u);

    const Json alerts = device.status()["alerts"];
    ASSERT_TRUE(alerts.is_array());
    std::map<std::string, Json> byBody;
    for (const Json& a : alerts) byBody[a.value("body", "")] = a;
    EXPECT_EQ(byBody.size(), alerts.size()) << "an alert was shown twice: " << alerts.dump();
    for (const Notification& n : shown) {
        SCOPED_TRACE(n.body);
        ASSERT_TRUE(byBody.count(n.body));
        const Json& image = byBody[n.body]["launchImage"];
        if (n.launchImage)
            EXPECT_EQ(image, n.launchImage);
        else
            EXPECT_TRUE(image.is_null());
    }
    EXPECT_TRUE(byBody.count("system alert"));
    EXPECT_FALSE(byBody.count("the marker itself"));
}

TEST_F(ExtensionOnDevice, StartsOncePerSpringBoardStartAgainAfterAReboot) {
    ASSERT_NO_FATAL_FAILURE(bootWithExtension());
    ASSERT_NO_FATAL_FAILURE(flushSpringBoard("first start"));
    ASSERT_TRUE(device.shutdown()) << device.lastOutput();
    EXPECT_TRUE(device.leftoverProcesses().empty());
    ASSERT_TRUE(device.boot(kRate)) << device.lastOutput();
    ASSERT_NO_FATAL_FAILURE(flushSpringBoard("second start"));

    const Events events = device.events();
    const std::vector<long long> starts = springBoardStarts(events);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_NE(starts[0], starts[1]);
    const auto lines = extensionLinesByProcess(events);
    EXPECT_EQ(lines.size(), 2u);
    for (long long pid : starts) {
        SCOPED_TRACE("SpringBoard " + std::to_string(pid));
        ASSERT_TRUE(lines.count(pid));
        EXPECT_EQ(lines.at(pid), (std::vector<std::string>{kStartingUp, kStarted}));
    }
    ASSERT_TRUE(device.shutdown()) << device.lastOutput();
    EXPECT_TRUE(device.leftoverProcesses().empty());
}

TEST_F(ExtensionOnDevice, WithoutItTheKeepAliveAlertIsShownWithItsText) {
    ASSERT_TRUE(device.boot(kRate)) << device.lastOutput();
    ASSERT_EQ(notify(kKeepAliveBody, "60", kKeepAliveLaunchImage, true), 0) << device.lastOutput();
    ASSERT_TRUE(
        device.waitForEvents([](const Events& e) { return shownWithBody(e, kKeepAliveBody) >= 2; },
                             kHostBudget + 120 / kRate))
        << "the keep-alive alert was not shown at each of two firings";

    const Events events = device.events();
    for (const Json& e : named(events, "alert-shown"))
        EXPECT_EQ(e.value("launchImage", ""), kKeepAliveLaunchImage);
    EXPECT_TRUE(extensionLinesByProcess(events).empty());
    const Json alerts = device.status()["alerts"];
    ASSERT_TRUE(alerts.is_array());
    ASSERT_GE(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].value("body", ""), kKeepAliveBody);
    EXPECT_EQ(alerts[0].value("launchImage", ""), kKeepAliveLaunchImage);
}

}  // namespace
