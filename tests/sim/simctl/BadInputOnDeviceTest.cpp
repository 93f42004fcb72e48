// Damaged files on a running device: job files and wake-request lists that are missing, empty,
// truncated, no property list or of the wrong types. Each gets a clear error (or is skipped
// with a note), nothing of it is lost, and simd keeps answering throughout.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "ReadWhole.h"
#include "SimE2E.h"

namespace {

using e2e::DeviceSession;
using e2e::eventsNamed;
using namespace sim_e2e;
namespace fs = std::filesystem;

constexpr char kHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
constexpr char kAutoWake[] =
    "/private/var/preferences/SystemConfiguration/com.apple.AutoWake.plist";

std::string plist(const std::string& body) { return kHeader + body + "</plist>\n"; }

const std::string kGoodJob = plist(
    "<dict><key>Label</key><string>com.example.bad</string><key>ProgramArguments</key>"
    "<array><string>/usr/local/bin/none</string></array><key>RunAtLoad</key><false/></dict>");
const std::string kGoodWakeList = plist(
    "<dict><key>wake</key><array><dict><key>time</key><date>2010-01-01T12:00:00Z</date>"
    "<key>scheduledby</key><string>x</string></dict></array></dict>");

struct BadFile {
    const char* name;
    std::optional<std::string> content;  // none: the file is missing
    const char* error;                   // what the complaint names
};

std::vector<BadFile> badJobFiles() {
    const std::string job = "<dict><key>Label</key><string>com.example.bad</string>";
    return {
        {"missing", std::nullopt, "no such job file"},
        {"empty", "", "is empty"},
        {"truncated", kGoodJob.substr(0, kGoodJob.size() / 2), "not a property list"},
        {"text", "Label = com.example.bad\n", "not a property list"},
        {"binary-garbage", std::string("bplist00\xff\x01\x02\x03garbage", 19),
         "not a property list"},
        {"array", plist("<array><string>com.example.bad</string></array>"), "not a dictionary"},
        {"label-number", plist("<dict><key>Label</key><integer>7</integer></dict>"), "Label"},
        {"arguments-string",
         plist(job + "<key>ProgramArguments</key><string>/bin/sh</string></dict>"),
         "ProgramArguments"},
        {"argument-number",
         plist(job + "<key>ProgramArguments</key><array><integer>1</integer></array></dict>"),
         "ProgramArguments"},
        {"run-at-load-string",
         plist(job + "<key>ProgramArguments</key><array><string>/x</string></array>"
                     "<key>RunAtLoad</key><string>yes</string></dict>"),
         "RunAtLoad"},
        {"relative-program",
         plist(job + "<key>ProgramArguments</key><array><string>x</string></array></dict>"),
         "absolute"},
    };
}

struct BadWakeList {
    const char* name;
    std::optional<std::string> content;
    const char* problem;  // null: nothing to report
    bool setAside;        // whole file unusable: simd keeps it aside before writing anew
};

std::vector<BadWakeList> badWakeLists() {
    const std::string entry = "<dict><key>wake</key><array>";
    return {
        {"missing", std::nullopt, nullptr, false},
        {"empty", "", "is empty", true},
        {"truncated", kGoodWakeList.substr(0, kGoodWakeList.size() / 2), "not a property list",
         true},
        {"text", "wake at noon\n", "not a property list", true},
        {"array", plist("<array/>"), "not a dictionary", true},
        {"wake-string", plist("<dict><key>wake</key><string>noon</string></dict>"), "not an array",
         true},
        {"time-string",
         plist(entry + "<dict><key>time</key><string>noon</string><key>scheduledby</key>"
                       "<string>x</string></dict></array></dict>"),
         "entry 0", false},
        {"no-scheduledby",
         plist(entry + "<dict><key>time</key><date>2010-01-01T12:00:00Z</date></dict>"
                       "</array></dict>"),
         "entry 0", false},
        {"entry-string", plist(entry + "<string>noon</string></array></dict>"), "entry 0", false},
    };
}

void writeOrRemove(const std::string& path, const std::optional<std::string>& content) {
    fs::create_directories(fs::path(path).parent_path());
    std::error_code ec;
    fs::remove(path, ec);
    if (content) std::ofstream(path, std::ios::binary) << *content;
}

class BadInputOnDevice : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.boot(10)) << device.lastOutput();
        simdPid = device.status().value("simdPid", -1LL);
        ASSERT_GT(simdPid, 0);
    }

    std::string scratch() const { return fs::path(device.root()).parent_path().string(); }

    // `simctl status` with its report and its complaints kept apart.
    Captured status() {
        return runCaptured({simctlPath(), "status", device.root()}, environmentOffDevice(),
                           scratch(), kHostBudget);
    }

    void expectSimdAnswers() {
        const Captured answered = status();
        ASSERT_EQ(answered.status, 0) << "simd stopped answering: " << answered.err;
        const Json now = Json::parse(answered.out, nullptr, false);
        ASSERT_TRUE(now.is_object()) << answered.out;
        EXPECT_EQ(now.value("simdPid", -2LL), simdPid);
        EXPECT_TRUE(e2e::processAlive(static_cast<pid_t>(simdPid)));
    }

    DeviceSession device{"3.1.3"};
    long long simdPid = -1;
};

TEST_F(BadInputOnDevice, LaunchctlNamesWhatIsWrongWithAJobFile) {
    for (const BadFile& bad : badJobFiles()) {
        SCOPED_TRACE(bad.name);
        const std::string devicePath = std::string("/tmp/bad/") + bad.name + ".plist";
        writeOrRemove(device.root() + devicePath, bad.content);
        const e2e::CommandResult load = device.spawn({"/bin/launchctl", "load", "-w", devicePath});
        EXPECT_NE(load.status, 0) << load.output;
        EXPECT_EQ(load.output.rfind("launchctl: ", 0), 0u) << load.output;
        EXPECT_NE(load.output.find(devicePath), std::string::npos) << load.output;
        EXPECT_NE(load.output.find(bad.error), std::string::npos) << load.output;
        EXPECT_EQ(std::count(load.output.begin(), load.output.end(), '\n'), 1) << load.output;
        const e2e::CommandResult unload =
            device.spawn({"/bin/launchctl", "unload", "-w", devicePath});
        EXPECT_NE(unload.status, 0) << unload.output;
        if (bad.content) {
            EXPECT_EQ(readWhole(device.root() + devicePath), *bad.content);
        }
        ASSERT_NO_FATAL_FAILURE(expectSimdAnswers());
    }
}

TEST_F(BadInputOnDevice, BootSkipsDamagedJobFilesWithANote) {
    ASSERT_TRUE(device.shutdown()) << device.lastOutput();
    size_t present = 0;
    for (const BadFile& bad : badJobFiles()) {
        if (!bad.content) continue;
        ++present;
        writeOrRemove(device.root() + "/System/Library/LaunchDaemons/" + bad.name + ".plist",
                      bad.content);
    }
    ASSERT_TRUE(device.boot(10)) << device.lastOutput();
    simdPid = device.status().value("simdPid", -1LL);
    const Events invalid = eventsNamed<wire::events::JobInvalid>(device.events());
    EXPECT_EQ(invalid.size(), present);
    for (const Json& e : invalid) {
        EXPECT_FALSE(e.value("error", "").empty()) << e.dump();
        EXPECT_EQ(e.value("file", "").rfind("/System/Library/LaunchDaemons/", 0), 0u) << e.dump();
    }
    const Captured report = status();
    EXPECT_EQ(report.status, 0) << report.err;
    const Json parsed = Json::parse(report.out, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << report.out;
    EXPECT_TRUE(parsed["jobs"].empty()) << parsed["jobs"].dump();
    ASSERT_NO_FATAL_FAILURE(expectSimdAnswers());
}

TEST_F(BadInputOnDevice, DamagedWakeListsAreReportedAndNothingOfThemIsLost) {
    const std::string path = device.root() + kAutoWake;
    for (const BadWakeList& bad : badWakeLists()) {
        SCOPED_TRACE(bad.name);
        std::error_code ec;
        fs::remove(path + ".invalid", ec);
        writeOrRemove(path, bad.content);

        const Captured before = status();
        ASSERT_EQ(before.status, 0) << before.err;
        const Json report = Json::parse(before.out, nullptr, false);
        ASSERT_FALSE(report.is_discarded()) << before.out;
        EXPECT_TRUE(report["wakeRequests"].empty()) << report["wakeRequests"].dump();
        if (bad.problem) {
            ASSERT_EQ(report["problems"].size(), 1u) << report["problems"].dump();
            EXPECT_NE(report["problems"][0].get<std::string>().find(bad.problem), std::string::npos)
                << report["problems"].dump();
            EXPECT_EQ(before.err.rfind("simctl: ", 0), 0u) << before.err;
        } else {
            EXPECT_TRUE(report["problems"].empty()) << report["problems"].dump();
            EXPECT_TRUE(before.err.empty()) << before.err;
        }

        // A booking on top of it: the list is written anew, the damaged one kept aside whole.
        const std::string identifier = std::string("e2e-") + bad.name;
        const e2e::CommandResult booking = device.spawn(
            {powerClientPath(), "--book-only", "--book-wake-in", "600", "--id", identifier});
        EXPECT_EQ(booking.status, 0) << booking.output;
        const Json after = Json::parse(status().out, nullptr, false);
        ASSERT_FALSE(after.is_discarded());
        ASSERT_EQ(after["wakeRequests"].size(), 1u) << after["wakeRequests"].dump();
        EXPECT_EQ(after["wakeRequests"][0]["scheduledby"], identifier);
        if (bad.setAside) {
            EXPECT_EQ(readWhole(path + ".invalid"), *bad.content);
            EXPECT_TRUE(after["problems"].empty()) << after["problems"].dump();
        } else {
            EXPECT_FALSE(fs::exists(path + ".invalid"));
            // The entry it cannot read stays in the list, still reported.
            EXPECT_EQ(after["problems"].size(), bad.problem ? 1u : 0u) << after.dump();
        }
        ASSERT_NO_FATAL_FAILURE(expectSimdAnswers());
    }
    const std::vector<BadWakeList> all = badWakeLists();
    const size_t setAside =
        std::count_if(all.begin(), all.end(), [](const BadWakeList& b) { return b.setAside; });
    EXPECT_EQ(eventsNamed<wire::events::WakeListInvalid>(device.events()).size(), setAside);
}

}  // namespace
