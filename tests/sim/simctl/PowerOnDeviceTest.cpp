// The power manager with a real client on a booted device: a cancelled attempt, an allowed one
// that puts the device to sleep, and a sleep that ends at a booked wake request.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "SimE2E.h"

namespace {

using e2e::deviceSeconds;
using e2e::DeviceSession;
using e2e::eventsNamed;
using namespace sim_e2e;

constexpr char kVigilantLabel[] = "com.quillmoor.vigilantpro";

// The guard would answer the questions too; these tests are about the device, so its job is
// switched off before the first boot, as `launchctl unload -w` would leave it.
void disableJob(const std::string& root, const std::string& label) {
    const std::string path = root + "/private/var/db/launchd.db/com.apple.launchd/overrides.plist";
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<plist version=\"1.0\"><dict><key>"
                        << label
                        << "</key><dict><key>Disabled</key><true/></dict></dict></plist>\n";
}

bool contains(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

class PowerOnDevice : public testing::Test {
  protected:
    explicit PowerOnDevice(const std::string& subfolder = "") : device("3.1.3", subfolder) {}

    // Starts the client in the background and waits for its registration.
    void startClient(const std::vector<std::string>& arguments) {
        std::vector<std::string> command{powerClientPath()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        client = std::make_unique<BackgroundSpawn>(simctlPath(), device.root(), command,
                                                   device.root() + "/../client.out");
        ASSERT_TRUE(device.waitForEvents(
            [](const Events& e) {
                return registeredClientPid(e) > 0 && contains(clientLines(e), "registered");
            },
            kHostBudget))
            << "the power client never registered";
        clientPid = registeredClientPid(device.events());
    }

    Json simctlJson(const std::vector<std::string>& arguments) {
        const e2e::CommandResult result = device.simctl(arguments);
        EXPECT_EQ(result.status, 0) << result.output;
        return Json::parse(result.output, nullptr, false);
    }

    bool waitForClientLine(const std::string& prefix) {
        return device.waitForEvents(
            [&](const Events& e) { return contains(clientLines(e), prefix); }, kHostBudget);
    }

    void shutdownLeavesNothing() {
        ASSERT_TRUE(device.shutdown()) << device.lastOutput();
        EXPECT_TRUE(device.leftoverProcesses().empty());
        EXPECT_FALSE(e2e::processAlive(static_cast<pid_t>(clientPid)));
        // simctl spawn returns once its program has gone.
        EXPECT_GE(client->waitForEnd(kHostBudget), 0);
    }

    std::unique_ptr<BackgroundSpawn> client;  // declared first: it goes after the device
    DeviceSession device;
    long long clientPid = -1;
};

TEST_F(PowerOnDevice, CancelledAttemptThenAllowedSleepThenUserWake) {
    ASSERT_TRUE(device.installPackage()) << device.lastOutput();
    disableJob(device.root(), kVigilantLabel);
    ASSERT_TRUE(device.boot({"--rate", "10", "--idle-sleep", "0"})) << device.lastOutput();
    ASSERT_NO_FATAL_FAILURE(startClient({"--answers", "cancel,allow"}));

    Json status = device.status();
    EXPECT_EQ(status["power"], "awake");
    EXPECT_EQ(status["powerClients"], Json::array({clientPid})) << status.dump();
    for (const Json& job : status["jobs"])
        if (job["label"] == kVigilantLabel) {
            EXPECT_EQ(job["pid"], nullptr);
        }

    // First attempt: the client cancels, everyone hears that the system will not sleep.
    const Json first = simctlJson({"sleep", device.root()});
    EXPECT_EQ(first["result"], "cancelled") << first.dump();
    EXPECT_EQ(first["cancelledBy"], Json::array({clientPid}));
    ASSERT_TRUE(waitForClientLine("kIOMessageSystemWillNotSleep"));
    Events events = device.events();
    const Events asked = messagesNamed(events, "kIOMessageCanSystemSleep");
    ASSERT_EQ(asked.size(), 1u);
    const long long firstArgument = asked[0].value("argument", -1LL);
    EXPECT_EQ(asked[0].value("clients", -1), 1);
    const Events answers = eventsNamed<wire::events::Answer>(events);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].value("pid", -1LL), clientPid);
    EXPECT_EQ(answers[0]["answer"], "cancel");
    EXPECT_EQ(answers[0]["message"], "kIOMessageCanSystemSleep");
    EXPECT_EQ(answers[0].value("argument", -2LL), firstArgument);
    EXPECT_EQ(messagesNamed(events, "kIOMessageSystemWillNotSleep").size(), 1u);
    EXPECT_TRUE(eventsNamed<wire::events::Sleep>(events).empty());
    EXPECT_TRUE(contains(clientLines(events),
                         "kIOMessageCanSystemSleep " + std::to_string(firstArgument) + " cancel"));
    EXPECT_EQ(device.status()["power"], "awake");

    // Second attempt: allowed, then will-sleep, then the device sleeps with the client stopped.
    const Json second = simctlJson({"sleep", device.root()});
    EXPECT_EQ(second["result"], "asleep") << second.dump();
    EXPECT_EQ(device.status()["power"], "asleep");
    events = device.events();
    const Events afterFirst = fromNth(events, "sleep-attempt", 1);
    const Events secondAsk = messagesNamed(afterFirst, "kIOMessageCanSystemSleep");
    ASSERT_EQ(secondAsk.size(), 1u);
    EXPECT_NE(secondAsk[0].value("argument", -1LL), firstArgument);
    const Events secondAnswers = eventsNamed<wire::events::Answer>(afterFirst);
    ASSERT_EQ(secondAnswers.size(), 2u);
    EXPECT_EQ(secondAnswers[0]["answer"], "allow");
    EXPECT_EQ(secondAnswers[0]["message"], "kIOMessageCanSystemSleep");
    EXPECT_EQ(secondAnswers[1]["message"], "kIOMessageSystemWillSleep");
    EXPECT_EQ(secondAnswers[1].value("pid", -1LL), clientPid);
    EXPECT_EQ(messagesNamed(afterFirst, "kIOMessageSystemWillSleep").size(), 1u);
    ASSERT_EQ(eventsNamed<wire::events::Sleep>(afterFirst).size(), 1u);
    EXPECT_EQ(eventsNamed<wire::events::Sleep>(afterFirst)[0]["wakeAt"], nullptr);
    EXPECT_EQ(processState(static_cast<pid_t>(clientPid)), 'T');

    // The user's wake resumes the client, which hears that the system has powered on.
    const Json woken = simctlJson({"wake", device.root()});
    EXPECT_EQ(woken["power"], "awake") << woken.dump();
    ASSERT_TRUE(waitForClientLine("kIOMessageSystemHasPoweredOn"));
    events = device.events();
    const Events wakes = eventsNamed<wire::events::Wake>(events);
    ASSERT_EQ(wakes.size(), 1u);
    EXPECT_EQ(wakes[0]["reason"], "user");
    EXPECT_NE(processState(static_cast<pid_t>(clientPid)), 'T');

    // `simctl log` prints the same lines the file holds.
    const e2e::CommandResult log = device.simctl({"log", device.root()});
    ASSERT_EQ(log.status, 0);
    std::istringstream lines(log.output);
    std::string line;
    size_t cancels = 0, parsed = 0;
    while (std::getline(lines, line)) {
        const Json event = Json::parse(line, nullptr, false);
        ASSERT_FALSE(event.is_discarded()) << line;
        ++parsed;
        EXPECT_TRUE(event.contains("time") && event.contains("source") && event.contains("event"));
        if (wire::events::is<wire::events::Answer>(event) &&
            event.value("answer", "") == "cancel" && event.value("pid", -1LL) == clientPid)
            ++cancels;
    }
    EXPECT_GE(parsed, events.size());
    EXPECT_EQ(cancels, 1u);
    ASSERT_NO_FATAL_FAILURE(shutdownLeavesNothing());
}

TEST_F(PowerOnDevice, SleepsUntilTheBookedWakeRequest) {
    constexpr double kRate = 20;
    constexpr int kWakeIn = 120;  // device seconds
    ASSERT_TRUE(device.boot({"--rate", "20", "--idle-sleep", "0", "--time", "2010-01-01 10:00:00"}))
        << device.lastOutput();
    ASSERT_NO_FATAL_FAILURE(
        startClient({"--book-wake-in", std::to_string(kWakeIn), "--id", "e2e-wake"}));
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return !eventsNamed<wire::events::WakeBooked>(e).empty(); },
        kHostBudget));
    const Json booked = eventsNamed<wire::events::WakeBooked>(device.events()).front();
    const long long wakeTime = deviceSeconds(booked["wakeTime"]);
    EXPECT_EQ(booked["scheduledby"], "e2e-wake");
    EXPECT_EQ(booked.value("pid", -1LL), clientPid);
    EXPECT_NEAR(wakeTime - deviceSeconds(booked["time"]), kWakeIn, 2) << booked.dump();
    const Json requests = device.status()["wakeRequests"];
    ASSERT_EQ(requests.size(), 1u) << requests.dump();
    EXPECT_EQ(requests[0]["time"], booked["wakeTime"]);
    EXPECT_EQ(requests[0]["scheduledby"], "e2e-wake");

    const Json slept = simctlJson({"sleep", device.root()});
    ASSERT_EQ(slept["result"], "asleep") << slept.dump();
    const Json asleep = device.status();
    EXPECT_EQ(asleep["power"], "asleep");
    EXPECT_EQ(asleep["wakeAt"], booked["wakeTime"]);

    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return !eventsNamed<wire::events::Wake>(e).empty(); },
        kHostBudget + kWakeIn / kRate))
        << "the device did not wake at its request";
    ASSERT_TRUE(waitForClientLine("kIOMessageSystemHasPoweredOn"));
    const Events events = device.events();
    const Json sleep = eventsNamed<wire::events::Sleep>(events).front();
    EXPECT_EQ(sleep["wakeAt"], booked["wakeTime"]);
    const Json wake = eventsNamed<wire::events::Wake>(events).front();
    EXPECT_EQ(wake["reason"], "wake-request");
    EXPECT_EQ(wake["wakeTime"], booked["wakeTime"]);
    EXPECT_EQ(wake["scheduledby"], "e2e-wake");
    // Not before its time; a loaded machine may be a little late.
    EXPECT_GE(deviceSeconds(wake["time"]), wakeTime);
    EXPECT_LE(deviceSeconds(wake["time"]), wakeTime + 30);
    const Events greeted =
        messagesNamed(fromNth(events, "wake", 0), "kIOMessageSystemHasPoweredOn");
    EXPECT_EQ(greeted.size(), 1u);
    EXPECT_EQ(device.status()["power"], "awake");
    ASSERT_NO_FATAL_FAILURE(shutdownLeavesNothing());
}

// A root far deeper than a socket address can spell (108 bytes) boots and serves its clients.
class PowerOnDeepDevice : public PowerOnDevice {
  protected:
    static std::string deepFolder() {
        std::string path = "deep";
        while (path.size() < 160) path += "/a-rather-long-folder-name";
        return path;
    }
    PowerOnDeepDevice() : PowerOnDevice(deepFolder()) {}
};

TEST_F(PowerOnDeepDevice, BootsAndAnswersThroughItsSockets) {
    ASSERT_GT((device.root() + "/var/run/sim/simd.sock").size(), 108u);
    ASSERT_TRUE(device.boot({"--rate", "10", "--idle-sleep", "0"})) << device.lastOutput();
    ASSERT_NO_FATAL_FAILURE(startClient({"--answers", "cancel"}));
    const Json attempt = simctlJson({"sleep", device.root()});
    EXPECT_EQ(attempt["result"], "cancelled") << attempt.dump();
    EXPECT_EQ(attempt["cancelledBy"], Json::array({clientPid}));
    const e2e::CommandResult list = device.spawn({"/bin/launchctl", "list"});
    EXPECT_EQ(list.status, 0) << list.output;
    EXPECT_EQ(device.status()["power"], "awake");
    ASSERT_NO_FATAL_FAILURE(shutdownLeavesNothing());
}

}  // namespace
