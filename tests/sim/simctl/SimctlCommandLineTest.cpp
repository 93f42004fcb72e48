// simctl's command line, with the real binary: a bad line ends with status 64 and one line
// on stderr that names what is wrong, a command that fails with 1, help goes to stdout with
// 0 for simctl and every command, and words beginning with '-' reach defaults as they are.
// Also: an install that cannot keep the list of its files says it failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "SimE2E.h"

namespace {

using namespace sim_e2e;

constexpr const char* kDir = "DIR";  // stands for the device's folder in a case's arguments

const std::vector<std::string> kCommands = {
    "create", "install", "boot",         "shutdown", "status",   "log",
    "power",  "sleep",   "wake",         "defaults", "spawn",    "launch",
    "notify", "alert",   "set-timezone", "set-time", "respring", "battery"};

class SimctlCommandLine : public testing::Test {
  protected:
    // simctl with `arguments`, DIR standing for a device laid out but never booted.
    Captured simctl(std::vector<std::string> arguments) {
        std::replace(arguments.begin(), arguments.end(), std::string(kDir), device.root());
        arguments.insert(arguments.begin(), simctlPath());
        return runCaptured(arguments, environmentOffDevice(), scratch(), kHostBudget);
    }
    std::string scratch() const {
        return std::filesystem::path(device.root()).parent_path().string();
    }

    e2e::DeviceSession device{"3.1.3"};
};

struct BadLine {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    const char* complaint;  // what the line on stderr names
};

const std::vector<BadLine> kBadLines = {
    {"UnknownCommand", {"reboot", kDir}, 64, "unknown command \"reboot\""},
    {"NoDeviceFolder", {"status"}, 64, "DIR"},
    {"UnknownOption", {"boot", kDir, "--fast"}, 64, "unknown argument --fast"},
    {"ExtraArgument", {"shutdown", kDir, "now"}, 64, "unknown argument now"},
    {"OptionWithoutValue", {"boot", kDir, "--rate"}, 64, "--rate"},
    {"ValueOutOfRange", {"boot", kDir, "--rate", "0"}, 64, "positive number"},
    {"UnknownPowerMessage", {"power", kDir, "doze"}, 64, "can-sleep"},
    {"NoDefaultsVerb", {"defaults", kDir}, 64, "read, write or delete"},
    {"ExclusiveOptions",
     {"notify", kDir, "--app", "a", "--cancel-all", "--body", "b"},
     64,
     "--cancel-all"},
    {"UnknownZone", {"set-timezone", kDir, "Mars/Olympus_Mons"}, 64, "zone of the tz database"},
    {"ZoneOutsideTheDatabase", {"set-timezone", kDir, "../../../etc/passwd"}, 64, "zone"},
    {"CreateInAnUnknownZone",
     {"create", "/tmp/vigilant-never-made", "--timezone", "Europe/Atlantis"},
     64,
     "zone of the tz database"},
    {"UnparsableTime", {"set-time", kDir, "tomorrow at nine"}, 64, "YYYY-MM-DD HH:MM:SS"},
    {"ImpossibleTime", {"set-time", kDir, "2027-02-30 12:00:00"}, 64, "YYYY-MM-DD HH:MM:SS"},
    // The clock's bounds are boot's: no booked date past the phone's 32-bit time_t.
    {"TimeAfterTheLastYear", {"set-time", kDir, "2038-01-20 01:00:00"}, 64, "years 1970 to 2037"},
    {"TimeBeforeTheFirstYear", {"set-time", kDir, "1969-12-31 23:59:59"}, 64, "years 1970 to 2037"},
    // A battery gets a level from 0 to 100, one power source and rates it can keep.
    {"LevelAboveFull", {"battery", kDir, "--level", "101"}, 64, "percentage from 0 to 100"},
    {"LevelBelowEmpty", {"battery", kDir, "--level", "-1"}, 64, "percentage from 0 to 100"},
    {"LevelNotANumber", {"battery", kDir, "--level", "half"}, 64, "percentage from 0 to 100"},
    {"LevelInfinite", {"battery", kDir, "--level", "inf"}, 64, "percentage from 0 to 100"},
    {"LevelNaN", {"battery", kDir, "--level", "nan"}, 64, "percentage from 0 to 100"},
    {"PlugAndUnplug", {"battery", kDir, "--level", "5", "--plug", "--unplug"}, 64, "--unplug"},
    {"NegativeRate", {"battery", kDir, "--level", "5", "--drain-dark", "-3"}, 64, "rate from 0"},
    {"AbsurdRate", {"battery", kDir, "--level", "5", "--charge", "1e9"}, 64, "rate from 0"},
    {"CreateWithTooMuchCharge",
     {"create", "/tmp/vigilant-never-made", "--battery", "150"},
     64,
     "percentage from 0 to 100"},
    // A line simctl understands, for a device it cannot serve: the command fails instead.
    {"DeviceNotBooted", {"status", kDir}, 1, "not booted"},
    {"SetTimeNotBooted", {"set-time", kDir, "2027-10-30 12:00:00"}, 1, "not booted"},
    {"RespringNotBooted", {"respring", kDir}, 1, "not booted"},
    {"NoSuchDevice", {"status", "/nonexistent/device"}, 1, "no such device folder"},
};

TEST_F(SimctlCommandLine, ABadLineEndsWithItsStatusAndOneLineThatNamesTheFault) {
    for (const BadLine& line : kBadLines) {
        SCOPED_TRACE(line.name);
        const Captured run = simctl(line.arguments);
        ASSERT_FALSE(run.timedOut);
        EXPECT_EQ(run.status, line.status) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "not one line:\n" << run.err;
        EXPECT_EQ(run.err.rfind("simctl", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(line.complaint), std::string::npos) << run.err;
    }
}

// A refused zone, time or battery leaves the device as it was, and a refused create makes
// nothing.
TEST_F(SimctlCommandLine, BadZonesTimesAndBatteriesChangeNothing) {
    ASSERT_EQ(simctl({"set-timezone", kDir, "Europe/Berlin"}).status, 0);
    for (const BadLine& line : kBadLines) simctl(line.arguments);
    const auto link = std::filesystem::read_symlink(device.root() + "/var/db/timezone/localtime");
    EXPECT_EQ(link.string(), "/usr/share/zoneinfo/Europe/Berlin");
    EXPECT_FALSE(std::filesystem::exists("/tmp/vigilant-never-made"));
    EXPECT_FALSE(std::filesystem::exists(device.root() + "/var/run/sim/clock.plist"));
    const Captured battery = simctl({"battery", kDir});
    ASSERT_EQ(battery.status, 0) << battery.err;
    const e2e::Json shown = e2e::Json::parse(battery.out, nullptr, false);
    EXPECT_EQ(shown["level"], 100) << battery.out;
    EXPECT_EQ(shown["state"], "unplugged") << battery.out;
    EXPECT_NEAR(shown["rates"]["dark"].get<double>(), 100.0 / 30, 1e-9) << battery.out;
}

TEST_F(SimctlCommandLine, NoCommandAtAllShowsTheCommandsOnStderrWithStatus64) {
    const Captured run = simctl({});
    EXPECT_EQ(run.status, 64);
    EXPECT_TRUE(run.out.empty()) << run.out;
    for (const std::string& command : kCommands)
        EXPECT_NE(run.err.find("  " + command + " "), std::string::npos) << command;
}

TEST_F(SimctlCommandLine, HelpListsEveryCommandAndEveryCommandHasItsOwn) {
    for (const std::vector<std::string>& asked :
         std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"help"}}) {
        SCOPED_TRACE(asked.front());
        const Captured run = simctl(asked);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(run.err.empty()) << run.err;
        for (const std::string& command : kCommands)
            EXPECT_NE(run.out.find("  " + command + " "), std::string::npos) << command;
    }
    for (const std::string& command : kCommands) {
        SCOPED_TRACE(command);
        const Captured run = simctl({command, "--help"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(run.err.empty()) << run.err;
        EXPECT_NE(run.out.find("simctl " + command), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("DIR"), std::string::npos) << run.out;
    }
}

// The package's files are in, but their list (what the next install removes) is not: that is
// a failed install, not a success.
TEST_F(SimctlCommandLine, AnInstallThatCannotKeepItsFileListFails) {
    const std::string list = device.root() + "/var/lib/dpkg/info/com.quillmoor.vigilantpro.list";
    std::filesystem::create_directories(list + "/in-the-way");
    EXPECT_FALSE(device.installPackage()) << device.lastOutput();
    EXPECT_NE(device.lastOutput().find("list of installed files"), std::string::npos)
        << device.lastOutput();
    std::filesystem::remove_all(list);
    EXPECT_TRUE(device.installPackage()) << device.lastOutput();
}

TEST_F(SimctlCommandLine, DefaultsTakesKeysAndValuesThatBeginWithADash) {
    ASSERT_EQ(simctl({"defaults", kDir, "write", "com.example", "-k", "-int", "-5"}).status, 0);
    ASSERT_EQ(simctl({"defaults", kDir, "write", "com.example", "s", "-string", "-bool"}).status,
              0);
    EXPECT_EQ(simctl({"defaults", kDir, "read", "com.example", "-k"}).out, "-5\n");
    EXPECT_EQ(simctl({"defaults", kDir, "read", "com.example", "s"}).out, "-bool\n");
    EXPECT_EQ(simctl({"defaults", kDir, "write", "com.example", "k", "-float", "1"}).status, 64);
}

}  // namespace
