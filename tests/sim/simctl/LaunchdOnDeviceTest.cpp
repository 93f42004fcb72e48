// The device's launchd through its own /bin/launchctl: a job loaded for good is listed, comes
// back at every boot, and goes with SIGTERM on `unload -w`; shutdown leaves no process.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "SimE2E.h"

namespace {

using e2e::DeviceSession;
using e2e::eventsNamed;
using namespace sim_e2e;

constexpr char kLabel[] = "com.example.e2e.client";
constexpr char kJobFile[] = "/System/Library/LaunchDaemons/com.example.e2e.client.plist";
constexpr char kProgram[] = "/usr/local/bin/sim_power_client";

// Installed but disabled: only `load -w` makes it a job that boots with the device.
void installJob(const std::string& root) {
    namespace fs = std::filesystem;
    fs::create_directories(root + "/usr/local/bin");
    fs::copy_file(powerClientPath(), root + kProgram, fs::copy_options::overwrite_existing);
    std::ofstream(root + kJobFile)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>Label</key><string>"
        << kLabel << "</string><key>ProgramArguments</key><array><string>" << kProgram
        << "</string><string>--answers</string><string>allow</string></array>"
           "<key>UserName</key><string>root</string><key>RunAtLoad</key><true/>"
           "<key>Disabled</key><true/></dict></plist>\n";
}

Events forLabel(const Events& events, const std::string& name) {
    Events found;
    for (const Json& e : eventsNamed(events, name))
        if (e.value("label", "") == kLabel) found.push_back(e);
    return found;
}

Json jobStatus(const Json& status) {
    for (const Json& job : status["jobs"])
        if (job["label"] == kLabel) return job;
    return nullptr;
}

std::vector<std::vector<std::string>> tabSeparatedLines(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        std::string field;
        while (std::getline(parts, field, '\t')) fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

class LaunchdOnDevice : public testing::Test {
  protected:
    void bootDevice() { ASSERT_TRUE(device.boot(10)) << device.lastOutput(); }

    long long waitForStart(size_t starts) {
        EXPECT_TRUE(device.waitForEvents(
            [&](const Events& e) { return forLabel(e, "job-started").size() >= starts; },
            kHostBudget))
            << "start " << starts << " of the job never came";
        const Events started = forLabel(device.events(), "job-started");
        return started.size() >= starts ? started[starts - 1].value("pid", -1LL) : -1;
    }

    // `launchctl list` names the job with its pid, the label last on its line.
    void expectListed(long long pid) {
        const e2e::CommandResult list = device.spawn({"/bin/launchctl", "list"});
        ASSERT_EQ(list.status, 0) << list.output;
        const auto rows = tabSeparatedLines(list.output);
        ASSERT_GE(rows.size(), 2u) << list.output;
        bool found = false;
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].size(), 3u) << "line " << i << " of\n" << list.output;
            if (i > 0 && rows[i].size() == 3 && rows[i][2] == kLabel) {
                found = true;
                EXPECT_EQ(rows[i][0], std::to_string(pid));
            }
        }
        EXPECT_TRUE(found) << list.output;
    }

    DeviceSession device{"3.1.3"};
};

TEST_F(LaunchdOnDevice, LoadedForGoodComesBackAtBootAndEndsWithSigtermOnUnload) {
    installJob(device.root());
    ASSERT_NO_FATAL_FAILURE(bootDevice());
    Json job = jobStatus(device.status());
    ASSERT_FALSE(job.is_null());
    EXPECT_EQ(job["enabled"], false);
    EXPECT_EQ(job["pid"], nullptr);

    const e2e::CommandResult load =
        device.spawn({"/bin/launchctl", "load", "-w", std::string(kJobFile)});
    ASSERT_EQ(load.status, 0) << load.output;
    const long long first = waitForStart(1);
    ASSERT_GT(first, 0);
    ASSERT_NO_FATAL_FAILURE(expectListed(first));
    job = jobStatus(device.status());
    EXPECT_EQ(job["enabled"], true);
    EXPECT_EQ(job["pid"], first);

    // Shutdown ends the job with SIGTERM and leaves nothing behind.
    ASSERT_TRUE(device.shutdown()) << device.lastOutput();
    EXPECT_TRUE(device.leftoverProcesses().empty());
    EXPECT_FALSE(e2e::processAlive(static_cast<pid_t>(first)));
    Events ended = forLabel(device.events(), "job-ended");
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].value("pid", -1LL), first);
    EXPECT_EQ(ended[0].value("signal", -1), 15);

    // Enabled for good: loaded and started again at the next boot.
    ASSERT_NO_FATAL_FAILURE(bootDevice());
    const long long second = waitForStart(2);
    ASSERT_GT(second, 0);
    EXPECT_NE(second, first);
    ASSERT_NO_FATAL_FAILURE(expectListed(second));

    const e2e::CommandResult unload =
        device.spawn({"/bin/launchctl", "unload", "-w", std::string(kJobFile)});
    ASSERT_EQ(unload.status, 0) << unload.output;
    // unload waits for the end: by now the log has it.
    const Events events = device.events();
    ended = forLabel(events, "job-ended");
    ASSERT_EQ(ended.size(), 2u);
    EXPECT_EQ(ended[1].value("pid", -1LL), second);
    EXPECT_EQ(ended[1].value("signal", -1), 15);
    EXPECT_EQ(forLabel(events, "job-unloaded").size(), 1u);
    EXPECT_FALSE(e2e::processAlive(static_cast<pid_t>(second)));
    job = jobStatus(device.status());
    EXPECT_EQ(job["pid"], nullptr);
    EXPECT_EQ(job["enabled"], false);
    EXPECT_EQ(job["lastExitStatus"], -15);
    EXPECT_EQ(job["lastSignal"], 15);
    const e2e::CommandResult list = device.spawn({"/bin/launchctl", "list"});
    EXPECT_EQ(list.output.find(kLabel), std::string::npos) << list.output;

    // Disabled for good: the next boot leaves it alone.
    ASSERT_TRUE(device.shutdown()) << device.lastOutput();
    ASSERT_NO_FATAL_FAILURE(bootDevice());
    EXPECT_TRUE(device.spawn({"/bin/launchctl", "list"}).output.find(kLabel) == std::string::npos);
    EXPECT_EQ(forLabel(device.events(), "job-started").size(), 2u);
    ASSERT_TRUE(device.shutdown()) << device.lastOutput();
    EXPECT_TRUE(device.leftoverProcesses().empty());
}

}  // namespace
