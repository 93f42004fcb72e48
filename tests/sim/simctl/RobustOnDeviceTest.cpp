// The device under bad input and races, with the real programs: two boots at once start one
// simd, boot's options keep to what the device can hold, device paths with ".." never name a
// host program, a program spawned on a sleeping device says so and gives up after its
// deadline, `log --follow` ends with the device, and a package that climbs out of the root,
// or that the device's system cannot satisfy, is refused with nothing written.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdint>
#include <filesystem>
#include <future>
#include <map>

#include "ReadWhole.h"
#include "SimE2E.h"

namespace {

using namespace sim_e2e;

class RobustOnDevice : public testing::Test {
  protected:
    // simctl with `arguments`; `slot` keeps the output files of runs at the same time apart.
    Captured simctl(const std::vector<std::string>& arguments, const std::string& slot = "main") {
        std::vector<std::string> command{simctlPath()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const std::string scratch = scratchFolder() + "/" + slot;
        std::filesystem::create_directories(scratch);
        return runCaptured(command, environmentOffDevice(), scratch, kHostBudget);
    }
    std::string scratchFolder() const {
        return std::filesystem::path(device.root()).parent_path().string() + "/scratch";
    }
    // Shuts the device down and checks that nothing of it is left.
    void shutdownAndCheckNothingLeft() {
        const Captured down = simctl({"shutdown", device.root()});
        EXPECT_EQ(down.status, 0) << down.err;
        EXPECT_TRUE(simdsServing(device.root()).empty());
        EXPECT_TRUE(device.leftoverProcesses().empty());
    }

    e2e::DeviceSession device{"3.1.3"};
};

TEST_F(RobustOnDevice, TwoBootsAtOnceStartOneSimdAndTheOtherSaysAlreadyBooted) {
    auto first = std::async(std::launch::async, [&] {
        return simctl({"boot", device.root(), "--idle-sleep", "0"}, "a");
    });
    auto second = std::async(std::launch::async, [&] {
        return simctl({"boot", device.root(), "--idle-sleep", "0"}, "b");
    });
    const Captured runs[] = {first.get(), second.get()};
    int booted = 0, refused = 0;
    for (const Captured& run : runs) {
        ASSERT_FALSE(run.timedOut);
        if (run.status == 0) ++booted;
        if (run.status == 1 && run.err.find("already booted") != std::string::npos) ++refused;
    }
    EXPECT_EQ(booted, 1) << runs[0].err << runs[1].err;
    EXPECT_EQ(refused, 1) << runs[0].err << runs[1].err;
    EXPECT_EQ(simdsServing(device.root()).size(), 1u);
    shutdownAndCheckNothingLeft();
}

struct BootValue {
    const char* name;
    std::vector<std::string> options;
    bool accepted;
};

const std::vector<BootValue> kBootValues = {
    {"RateAtTheTop", {"--rate", "100000"}, true},
    {"RateOverTheTop", {"--rate", "100001"}, false},
    {"RateFarOverTheTop", {"--rate", "1e308"}, false},
    {"RateAtTheBottom", {"--rate", "0.01"}, true},
    {"RateUnderTheBottom", {"--rate", "0.009"}, false},
    {"RateInfinite", {"--rate", "inf"}, false},
    {"RateNotANumber", {"--rate", "nan"}, false},
    {"RateEmpty", {"--rate", ""}, false},
    {"IdleSleepAtTheTop", {"--idle-sleep", "86400"}, true},
    {"IdleSleepOverTheTop", {"--idle-sleep", "86401"}, false},
    {"IdleSleepNegative", {"--idle-sleep", "-1"}, false},
    {"IdleSleepInfinite", {"--idle-sleep", "inf"}, false},
    {"IdleSleepNotANumber", {"--idle-sleep", "nan"}, false},
    {"TimeInTheLastYear", {"--time", "2037-12-31 23:59:59"}, true},
    {"TimeAfterTheLastYear", {"--time", "2038-01-01 00:00:00"}, false},
    {"TimeInTheFirstYear", {"--time", "1970-01-01 00:00:00"}, true},
    {"TimeBeforeTheFirstYear", {"--time", "1969-12-31 23:59:59"}, false},
    {"TimeEmpty", {"--time", ""}, false},
};

TEST_F(RobustOnDevice, BootTakesValuesInsideItsBoundsAndRefusesTheRest) {
    for (const BootValue& value : kBootValues) {
        SCOPED_TRACE(value.name);
        std::vector<std::string> arguments{"boot", device.root()};
        arguments.insert(arguments.end(), value.options.begin(), value.options.end());
        const Captured run = simctl(arguments);
        ASSERT_FALSE(run.timedOut);
        if (!value.accepted) {
            EXPECT_EQ(run.status, 64) << run.err;
            EXPECT_NE(run.err.find(value.options[0]), std::string::npos) << run.err;
            EXPECT_TRUE(simdsServing(device.root()).empty());
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        const Captured status = simctl({"status", device.root()});
        EXPECT_EQ(status.status, 0) << status.err;
        const Json state = Json::parse(status.out, nullptr, false);
        ASSERT_TRUE(state.is_object()) << status.out;
        const std::string time = state.value("time", "");
        EXPECT_TRUE(time.rfind("19", 0) == 0 || time.rfind("20", 0) == 0) << time;
        shutdownAndCheckNothingLeft();
    }
}

TEST_F(RobustOnDevice, HelpSaysTheBounds) {
    const Captured help = simctl({"boot", "--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* bound : {"0.01 to 100000", "0 to 86400", "1970 to 2037"})
        EXPECT_NE(help.out.find(bound), std::string::npos) << bound << "\n" << help.out;
}

TEST_F(RobustOnDevice, DevicePathsWithDotsNeverNameAHostProgram) {
    ASSERT_TRUE(device.boot(1.0)) << device.lastOutput();
    // Above the root there is only the root: this is the device's /bin/sh, if it has one.
    const Captured climbing =
        simctl({"spawn", device.root(), "/../../bin/sh", "-c", "echo escaped"});
    EXPECT_EQ(climbing.out.find("escaped"), std::string::npos) << climbing.out;
    if (!std::filesystem::exists(device.root() + "/bin/sh")) {
        EXPECT_EQ(climbing.status, 1) << climbing.err;
        EXPECT_NE(climbing.err.find("no such program on the device"), std::string::npos)
            << climbing.err;
    }
    // The same program in other spellings is still the device's launchctl.
    for (const char* spelling :
         {"/../bin/launchctl", "//bin//launchctl", "/bin/./launchctl", "/usr/../bin/launchctl"}) {
        SCOPED_TRACE(spelling);
        const Captured listed = simctl({"spawn", device.root(), spelling, "list"});
        EXPECT_EQ(listed.status, 0) << listed.err;
    }
    shutdownAndCheckNothingLeft();
}

// A package built in `folder` by a shell script (dpkg-deb and tar), whose data climbs out of
// the root: through a member name with "..", or through a link.
std::string climbingPackage(const std::string& folder, const std::string& how) {
    const std::string script =
        "set -e; cd '" + folder +
        "'; rm -rf pkg && mkdir -p pkg/DEBIAN pkg/Library && "
        "printf 'Package: climber\\nVersion: 1\\nArchitecture: all\\nMaintainer: t <t@t>\\n"
        "Description: climbs\\n' > pkg/DEBIAN/control && " +
        (how == "name"
             ? std::string("echo x > pkg/Library/escaped-by-package && dpkg-deb -b pkg plain.deb "
                           ">/dev/null && mkdir -p ar && cd ar && ar x ../plain.deb && "
                           "mkdir data && tar -xf data.tar.* -C data && rm data.tar.* && "
                           "tar -cf data.tar -C data --transform='s,^./Library/,./Library/../../../"
                           "../,' ./Library/escaped-by-package && rm -r data && "
                           "ar rc ../climber.deb debian-binary control.tar.* data.tar")
             : std::string("ln -s ../../../../.. pkg/Library/escaped-by-package && "
                           "dpkg-deb -b pkg climber.deb >/dev/null"));
    const Captured built =
        runCaptured({"/bin/sh", "-c", script}, environmentOffDevice(), folder, kHostBudget);
    EXPECT_EQ(built.status, 0) << built.err;
    return folder + "/climber.deb";
}

TEST_F(RobustOnDevice, APackageThatClimbsOutOfTheRootIsRefusedAndNothingIsWritten) {
    for (const std::string how : {"name", "link"}) {
        SCOPED_TRACE(how);
        const std::string folder = scratchFolder() + "/" + how;
        std::filesystem::create_directories(folder);
        const std::string deb = climbingPackage(folder, how);
        const Captured install = simctl({"install", device.root(), deb});
        EXPECT_EQ(install.status, 1) << install.err;
        EXPECT_NE(install.err.find(how == "name" ? "outside the root" : "link out of the root"),
                  std::string::npos)
            << install.err;
        // Nowhere in or around the device, and no list of its files.
        const std::filesystem::path around =
            std::filesystem::path(device.root()).parent_path().parent_path();
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(around, ec);
             !ec && it != std::filesystem::end(it); it.increment(ec))
            if (it->path().filename() == "escaped-by-package") {
                EXPECT_EQ(it->path().string().rfind(scratchFolder(), 0), 0u) << it->path();
            }
        EXPECT_FALSE(std::filesystem::exists(device.root() + "/var/lib/dpkg/info/climber.list"));
    }
}

// Every file and link under `root` with its size, so that two looks can be compared whole.
std::map<std::string, uintmax_t> filesUnder(const std::string& root) {
    std::map<std::string, uintmax_t> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::end(it); it.increment(ec))
        files[it->path().string()] = it->is_regular_file(ec) ? it->file_size(ec) : 0;
    return files;
}

// The package depends on MobileSubstrate and on iPhone OS 2 to iOS 4: a 5.0 device refuses it
// with nothing of it written, the others take it and record it beside the firmware's packages.
TEST_F(RobustOnDevice, OnlyADeviceThePackageSupportsTakesIt) {
    for (const std::string version : {"2.2.1", "3.1.3", "4.0", "5.0"}) {
        SCOPED_TRACE(version);
        e2e::DeviceSession other{version};
        const std::string status = other.root() + "/var/lib/dpkg/status";
        ASSERT_NE(readWhole(status).find("Package: mobilesubstrate\n"), std::string::npos);
        const auto before = filesUnder(other.root());
        const Captured install = simctl({"install", other.root(), VIGILANT_PACKAGE_PATH});
        if (version == "5.0") {
            EXPECT_EQ(install.status, 1) << install.err;
            EXPECT_NE(install.err.find("depends on firmware (<< 5.0), but the device has "
                                       "firmware 5.0"),
                      std::string::npos)
                << install.err;
            EXPECT_EQ(filesUnder(other.root()), before) << "the refused package wrote files";
            continue;
        }
        ASSERT_EQ(install.status, 0) << install.err;
        // Installed again, it is still recorded once.
        ASSERT_EQ(simctl({"install", other.root(), VIGILANT_PACKAGE_PATH}).status, 0);
        const std::string record = readWhole(status);
        const size_t at = record.find("Package: com.quillmoor.vigilantpro\n");
        ASSERT_NE(at, std::string::npos) << record;
        EXPECT_EQ(record.find("Package: com.quillmoor.vigilantpro\n", at + 1), std::string::npos)
            << record;
        EXPECT_NE(record.find("Status: install ok installed", at), std::string::npos) << record;
        EXPECT_NE(record.find("Package: mobilesubstrate\n"), std::string::npos) << record;
    }
}

TEST_F(RobustOnDevice, ASpawnOnASleepingDeviceSaysSoAndGivesUpAfterItsDeadline) {
    ASSERT_TRUE(device.installPackage()) << device.lastOutput();  // launch starts its app
    ASSERT_TRUE(device.boot(1.0)) << device.lastOutput();
    const Captured slept = simctl({"sleep", device.root()});
    ASSERT_EQ(slept.status, 0) << slept.err;
    ASSERT_TRUE(
        device.waitForStatus([](const Json& s) { return s["power"] == "asleep"; }, kHostBudget));
    const Captured spawn =
        simctl({"spawn", "--wake-timeout", "1", device.root(), "/bin/launchctl", "list"});
    ASSERT_FALSE(spawn.timedOut);
    EXPECT_NE(spawn.status, 0);
    EXPECT_NE(spawn.err.find("the device is asleep"), std::string::npos) << spawn.err;
    EXPECT_NE(spawn.err.find("simctl wake"), std::string::npos) << spawn.err;
    EXPECT_NE(spawn.err.find("did not wake within 1 s"), std::string::npos) << spawn.err;
    EXPECT_GE(spawn.hostSeconds, 1.0);
    EXPECT_TRUE(spawn.out.empty()) << spawn.out;

    const Captured launch = simctl({"launch", device.root(), "--wake-timeout", "0"});
    EXPECT_NE(launch.status, 0);
    EXPECT_NE(launch.err.find("did not wake within 0 s"), std::string::npos) << launch.err;
    shutdownAndCheckNothingLeft();
}

TEST_F(RobustOnDevice, AShutdownAfterSimdEndedClearsWhatIsLeftAndSucceeds) {
    ASSERT_TRUE(device.boot(1.0)) << device.lastOutput();
    const std::vector<pid_t> simds = simdsServing(device.root());
    ASSERT_EQ(simds.size(), 1u);
    // simd gone without a word: SpringBoard and the jobs it started are left behind.
    ASSERT_EQ(kill(simds[0], SIGKILL), 0);
    shutdownAndCheckNothingLeft();
    // Nothing of it is left now: another shutdown says so.
    const Captured again = simctl({"shutdown", device.root()});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("not booted"), std::string::npos) << again.err;
}

TEST_F(RobustOnDevice, LogFollowEndsWhenTheDeviceShutsDown) {
    ASSERT_TRUE(device.boot(1.0)) << device.lastOutput();
    auto following = std::async(std::launch::async, [&] {
        return simctl({"log", device.root(), "--follow"}, "log");
    });
    ASSERT_TRUE(device.waitForEvents([](const Events& e) { return !e.empty(); }, kHostBudget));
    shutdownAndCheckNothingLeft();
    const Captured log = following.get();
    ASSERT_FALSE(log.timedOut) << "log --follow outlived the device";
    EXPECT_EQ(log.status, 0) << log.err;
    EXPECT_NE(log.out.find("shutdown-complete"), std::string::npos) << log.out;
}

// Also what a follow that looks only after the shutdown sees: it must not wait for a boot.
TEST_F(RobustOnDevice, LogFollowOnADeviceThatIsDownPrintsTheLogAndEnds) {
    ASSERT_TRUE(device.boot(1.0)) << device.lastOutput();
    shutdownAndCheckNothingLeft();
    const Captured log = simctl({"log", device.root(), "--follow"}, "log");
    ASSERT_FALSE(log.timedOut) << "log --follow waited on a device that is down";
    EXPECT_EQ(log.status, 0) << log.err;
    EXPECT_NE(log.out.find("shutdown-complete"), std::string::npos) << log.out;
}

}  // namespace
