#include "GuardDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace guard_e2e {

namespace fs = std::filesystem;

GuardDevice::GuardDevice(const std::string& version) : device_(version) {}

bool GuardDevice::writeSetting(const std::string& key, const std::string& type,
                               const std::string& value) {
    return device_.writeDefault(kLabel, key, type, value);
}

bool GuardDevice::battery(const std::vector<std::string>& options) {
    return device_.battery(options);
}

bool GuardDevice::installWithWindow(long long start, long long end) {
    return installPackage() && writeSetting("Schedule", "-bool", "true") &&
           writeSetting("ScheduleStart", "-int", std::to_string(start)) &&
           writeSetting("ScheduleEnd", "-int", std::to_string(end));
}

bool GuardDevice::installAndBootUnscheduled(double rate, double idleSleep) {
    return installPackage() && writeSetting("Schedule", "-bool", "false") &&
           boot("2010-01-01 12:00:00", rate, idleSleep);
}

void GuardDevice::writeFile(const std::string& devicePath, const std::string& bytes) const {
    const fs::path host = fs::path(root()) / devicePath.substr(1);
    fs::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary | std::ios::trunc) << bytes;
}

bool GuardDevice::boot(const std::string& time, double rate, double idleSleep) {
    std::ostringstream rateText, idleText;
    rateText << rate;
    idleText << idleSleep;
    return device_.boot({"--time", time, "--rate", rateText.str(), "--idle-sleep", idleText.str()});
}

e2e::CommandResult GuardDevice::launchctl(const std::string& verb) {
    return device_.spawn({"/bin/launchctl", verb, "-w", kJobFile});
}

long long GuardDevice::waitForDaemon(size_t n) {
    long long pid = -1;
    waitFor([&](const Events& e) {
        const std::vector<long long> starts = daemonStarts(e);
        if (starts.size() < n) return false;
        pid = starts[n - 1];
        return true;
    });
    return pid;
}

Json GuardDevice::waitForEnd(long long pid) {
    Json ended = nullptr;
    waitFor([&](const Events& e) {
        const Events found = eventsWith<wire::events::JobEnded>(e, "pid", pid);
        if (found.empty()) return false;
        ended = found.front();
        return true;
    });
    return ended;
}

void GuardDevice::finish() {
    const std::vector<long long> daemons = daemonStarts(device_.events());
    EXPECT_TRUE(device_.shutdown()) << device_.lastOutput();
    EXPECT_TRUE(device_.leftoverProcesses().empty()) << "device processes left behind";
    for (long long pid : daemons)
        EXPECT_FALSE(e2e::processAlive(static_cast<pid_t>(pid))) << "daemon " << pid << " runs on";
}

long long processorTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t paren = stat.rfind(')');
    if (paren == std::string::npos) return -1;
    // After the name: state is field 3, utime field 14, stime field 15.
    std::istringstream fields(stat.substr(paren + 2));
    std::vector<std::string> parts{std::istream_iterator<std::string>(fields), {}};
    if (parts.size() < 13) return -1;
    return std::stoll(parts[11]) + std::stoll(parts[12]);
}

}  // namespace guard_e2e
