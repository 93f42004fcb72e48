// One device under commands that race each other: in each round two boots, status, log,
// defaults write, spawn of launchctl and a shutdown start at random moments. Never does more
// than one simd run, nothing of the device is left once it is shut down, and the files the
// commands write (the wake-request list, launchd's overrides, the preferences) still parse.
// (simds that find the root taken end before they touch it: the event log counts the ones
// that served.) Set GUARD_E2E_SEED to repeat a sequence, GUARD_E2E_RUNS for more rounds than
// the usual 30 (100 take about 45 s on an idle 2-core machine).
#include <base/PlistFile.h>
#include <gtest/gtest.h>
#include <wire/DevicePaths.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <thread>

#include "SeededRuns.h"
#include "SimE2E.h"

namespace {

using namespace sim_e2e;

constexpr int kUsualRounds = 30;
constexpr int kLatestStartMs = 400;

int rounds() { return e2e::runsFromEnvironment(kUsualRounds); }

// The files of the device that must parse whenever no command writes them (absent is fine).
void expectFilesParse(const std::string& root) {
    std::vector<std::string> files{wire::inRoot(root, wire::paths::kAutoWake),
                                   wire::inRoot(root, wire::paths::kOverrides)};
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(wire::inRoot(root, wire::paths::kPreferences), ec))
        if (entry.path().extension() == ".plist") files.push_back(entry.path().string());
    for (const std::string& file : files) {
        const base::PlistFile read = base::readPlistFile(file);
        EXPECT_NE(read.state, base::PlistFile::State::Invalid) << file << ": " << read.error;
    }
}

// How many simds served the root at once, by the event log: each writes "boot" once it
// has the root and "shutdown-complete" as it ends.
int mostDevicesAtOnce(const Events& events) {
    int serving = 0, most = 0;
    for (const Json& event : events) {
        if (event.value("source", "") != "simd") continue;
        if (wire::events::is<wire::events::Boot>(event)) most = std::max(most, ++serving);
        if (wire::events::is<wire::events::ShutdownComplete>(event)) --serving;
    }
    return most;
}

// A shutdown that had to kill: a simd that booted while the one asked ended, mistaken for one
// that hung, loses its device without a word in the log.
bool forcedDown(const Captured& run) {
    return run.err.find("did not see it through") != std::string::npos;
}

TEST(ConcurrentCommands, OneSimdAtMostAndNothingLeftAfterShutdownAndTheFilesStillParse) {
    const unsigned seed = e2e::seedFromEnvironment();
    std::cout << "GUARD_E2E_SEED=" << seed << std::endl;
    RecordProperty("seed", std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> startMs(0, kLatestStartMs);

    e2e::DeviceSession device{"3.1.3"};
    const std::string root = device.root();
    const std::string scratch =
        std::filesystem::path(root).parent_path().string() + "/concurrent-scratch";
    const std::vector<std::vector<std::string>> commands = {
        {"boot", root, "--idle-sleep", "0"},
        {"boot", root, "--idle-sleep", "0"},
        {"status", root},
        {"log", root},
        {"defaults", root, "write", "com.example.stress", "round", "-int", "1"},
        {"spawn", "--wake-timeout", "0", root, "/bin/launchctl", "list"},
        {"shutdown", root},
    };

    for (int round = 1; round <= rounds(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round) + ", GUARD_E2E_SEED=" + std::to_string(seed));
        std::vector<std::thread> started;
        std::vector<Captured> runs(commands.size());
        for (size_t i = 0; i < commands.size(); ++i) {
            const int delay = startMs(random);
            const std::string slot = scratch + "/" + std::to_string(i);
            std::filesystem::create_directories(slot);
            started.emplace_back([&, i, delay, slot] {
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                std::vector<std::string> line{simctlPath()};
                line.insert(line.end(), commands[i].begin(), commands[i].end());
                runs[i] = runCaptured(line, environmentOffDevice(), slot, kHostBudget);
            });
        }
        for (std::thread& t : started) t.join();
        for (size_t i = 0; i < runs.size(); ++i) {
            EXPECT_FALSE(runs[i].timedOut) << commands[i][0] << " hung";
            EXPECT_FALSE(forcedDown(runs[i])) << runs[i].err;
        }
        // The round's shutdown may have come before its boots: end what they started.
        const Captured down = runCaptured({simctlPath(), "shutdown", root}, environmentOffDevice(),
                                          scratch, kHostBudget);
        EXPECT_LE(mostDevicesAtOnce(device.events()), 1);
        EXPECT_TRUE(down.status == 0 || down.err.find("not booted") != std::string::npos)
            << down.err;
        EXPECT_FALSE(forcedDown(down)) << down.err;
        EXPECT_TRUE(simdsServing(root).empty());
        EXPECT_TRUE(device.leftoverProcesses().empty());
        expectFilesParse(root);
        if (HasFailure()) break;
    }
}

}  // namespace
