// A program of the device starts with exactly the argv it was given (argv[0] as the device
// names it), and the descriptors opened for it (the log its output goes to, /dev/null for its
// input) reach it as 0, 1 and 2 only.
#include <gtest/gtest.h>
#include <sim/simd/ProcessControl.h>
#include <sim/simd/Processes.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "ReadWhole.h"
#include "TemporaryFolder.h"

namespace {

TEST(DeviceProgramStart, TheProcessGetsExactlyItsArgvAndNoStrayDescriptor) {
    const TemporaryFolder folder("start");
    const std::string& root = folder.path();
    std::filesystem::create_directories(root + "/var/log/sim");
    // argv[0] as the device names the program, not as the host does.
    const std::vector<std::string> argv = {"/usr/libexec/device-sleeper", "30"};
    simd::SystemProcesses system;
    std::string error;
    base::ChildProcess child(system.start(
        simd::deviceProgram(root, "/bin/sleep", argv, simd::deviceEnvironment(root), "sleeper"),
        &error));
    ASSERT_TRUE(child.running()) << error;

    const std::string proc = "/proc/" + std::to_string(child.pid());
    std::string expected;
    for (const std::string& arg : argv) expected += arg + '\0';
    // The start returns once the child is forked; its argv is there once it has executed the
    // program, which a loaded machine may delay.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const auto waitFor = [&](const auto& settled) {
        while (!settled() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
    waitFor([&] { return readWhole(proc + "/cmdline") == expected; });
    EXPECT_EQ(readWhole(proc + "/cmdline"), expected);

    // Beyond 0, 1 and 2 the program holds only what this test process lets every child inherit.
    // Until exec has closed the spawner's close-on-exec descriptors and the loader has closed the
    // libraries it read, the list still changes, and the program itself opens and closes files
    // as it starts (its locale); a descriptor leaked to the program never goes. So the answer is
    // the listing that ended the wait, and a listing that could not be read is no answer.
    const auto targets = [](const std::string& process) {
        std::map<std::string, std::string> byNumber;
        std::error_code ec;
        for (const auto& fd : std::filesystem::directory_iterator(process + "/fd", ec)) {
            std::error_code gone;
            const auto target = std::filesystem::read_symlink(fd.path(), gone);
            if (!gone) byNumber[fd.path().filename().string()] = target.string();
        }
        if (ec) byNumber["unreadable"] = ec.message();
        return byNumber;
    };
    std::vector<std::string> strays;
    waitFor([&] {
        const auto ours = targets("/proc/self");
        strays.clear();
        for (const auto& [number, target] : targets(proc)) {
            if (number == "0" || number == "1" || number == "2") continue;
            const auto inherited = ours.find(number);
            if (inherited == ours.end() || inherited->second != target)
                strays.push_back(number + " (" + target + ")");
        }
        return strays.empty();
    });
    EXPECT_EQ(strays, std::vector<std::string>{}) << "descriptors opened for the program";
    const std::string log = root + "/var/log/sim/sleeper.log";
    EXPECT_EQ(std::filesystem::read_symlink(proc + "/fd/1"), log);
    EXPECT_EQ(std::filesystem::read_symlink(proc + "/fd/0"), "/dev/null");

    child = base::ChildProcess();  // killed and reaped
}

}  // namespace
