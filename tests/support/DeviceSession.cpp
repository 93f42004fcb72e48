#include "DeviceSession.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wire/DevicePaths.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "ReadWhole.h"
#include "TestProgram.h"

namespace e2e {

namespace fs = std::filesystem;

namespace {

CommandResult run(const std::vector<std::string>& command, const std::string& outputFile) {
    CommandResult result;
    std::string error;
    const pid_t child = base::spawn(test_support::programWithOutputIn(command, outputFile), &error);
    if (child < 0) {
        result.output = error;
        return result;
    }
    const std::optional<int> status = base::waitForStatus(child);
    if (status && WIFEXITED(*status)) result.status = WEXITSTATUS(*status);
    result.output = readWhole(outputFile);
    return result;
}

// A test process that ctest kills at its timeout runs no destructor, and simd, which `simctl
// boot` leaves running apart from it, would serve the device on with every program on it. A
// watcher outside the test's process tree and session (its shell exits at once, so neither a
// kill of the test's descendants nor one of its process group reaches it) waits on a pipe whose
// write end only the test process holds: the session writes "done" when it ends by itself, and
// an end of the pipe without it means the test process is gone, so the watcher shuts the device
// down and removes the folder. No process id is kept that could meanwhile be another's.
constexpr char kWatcherScript[] =
    "fd=$1 simctl=$2 root=$3 folder=$4\n"
    "( read -r _ <&\"$fd\" || { \"$simctl\" shutdown \"$root\"; rm -rf \"$folder\"; } )"
    " >/dev/null 2>&1 </dev/null &\n";

// The write end of the watcher's pipe; -1 when no watcher could be started.
int startWatcher(const std::string& root, const std::string& folder) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return -1;
    base::SpawnOptions options =
        test_support::programWithOutputIn({"/bin/sh", "-c", kWatcherScript, "vigilant-e2e-watcher",
                                           std::to_string(ends[0]), SIMCTL_PATH, root, folder},
                                          folder + "/watcher.out");
    options.group = base::SpawnOptions::Group::NewSession;
    options.inheritedFds = {ends[0]};
    const pid_t shell = base::spawn(options, nullptr);
    close(ends[0]);
    if (shell < 0 || base::waitForExit(shell) != 0) {
        close(ends[1]);
        return -1;
    }
    return ends[1];
}

}  // namespace

bool processAlive(pid_t pid) {
    if (pid <= 0 || kill(pid, 0) != 0) return false;
    // A child of this process that ended but was not reaped yet counts as gone.
    const std::string stat = readWhole("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    return paren == std::string::npos || paren + 2 >= stat.size() || stat[paren + 2] != 'Z';
}

DeviceSession::DeviceSession(const std::string& version) : DeviceSession(version, "") {}

DeviceSession::DeviceSession(const std::string& version, const std::string& subfolder) {
    std::string pattern = (fs::temp_directory_path() / "vigilant-e2e-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
    root_ = subfolder.empty() ? folder_ + "/device" : folder_ + "/" + subfolder + "/device";
    std::error_code made;
    fs::create_directories(fs::path(root_).parent_path(), made);
    if (simctl({"create", root_, "--version", version}).status != 0) {
        std::error_code ec;
        fs::remove_all(folder_, ec);  // no destructor runs after a throwing constructor
        throw std::runtime_error("simctl create failed: " + lastOutput_);
    }
    watcher_ = startWatcher(root_, folder_);
}

DeviceSession::~DeviceSession() {
    if (watcher_ >= 0) {
        const char done[] = "done\n";
        (void)!write(watcher_, done, sizeof done - 1);
        close(watcher_);
    }
    if (booted_) shutdown();
    killLeftovers();
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

void DeviceSession::installExtension() const {
    const fs::path folder = wire::inRoot(root_, wire::paths::kDynamicLibraries);
    fs::create_directories(folder);
    const fs::path library = VIGILANT_SUBSTRATE_PATH;
    fs::copy_file(library, folder / library.filename(), fs::copy_options::overwrite_existing);
    const fs::path filter = fs::path(library).replace_extension(".plist");
    fs::copy_file(filter, folder / filter.filename(), fs::copy_options::overwrite_existing);
}

CommandResult DeviceSession::simctl(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{SIMCTL_PATH};
    command.insert(command.end(), arguments.begin(), arguments.end());
    CommandResult result = run(command, folder_ + "/simctl.out");
    lastOutput_ = result.output;
    return result;
}

bool DeviceSession::writeDefault(const std::string& domain, const std::string& key,
                                 const std::string& type, const std::string& value) {
    return simctl({"defaults", root_, "write", domain, key, type, value}).status == 0;
}

bool DeviceSession::battery(const std::vector<std::string>& options) {
    std::vector<std::string> arguments{"battery", root_};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return simctl(arguments).status == 0;
}

CommandResult DeviceSession::runOnHost(const std::vector<std::string>& programAndArguments) {
    return run(programAndArguments, folder_ + "/host.out");
}

bool DeviceSession::installPackage() {
    return simctl({"install", root_, VIGILANT_PACKAGE_PATH}).status == 0;
}

bool DeviceSession::boot(double rate) {
    std::ostringstream rateText;
    rateText << rate;
    return boot({"--rate", rateText.str(), "--idle-sleep", "0"});
}

bool DeviceSession::boot(const std::vector<std::string>& options) {
    std::vector<std::string> arguments{"boot", root_};
    arguments.insert(arguments.end(), options.begin(), options.end());
    booted_ = true;  // even a failed boot may have left services to end
    const bool ok = simctl(arguments).status == 0;
    const std::string pidText = readWhole(wire::inRoot(root_, wire::paths::kSimdPid));
    if (const int pid = std::atoi(pidText.c_str()); pid > 0) simdPids_.push_back(pid);
    return ok;
}

bool DeviceSession::shutdown() {
    booted_ = false;
    return simctl({"shutdown", root_}).status == 0;
}

CommandResult DeviceSession::spawn(const std::vector<std::string>& programAndArguments) {
    std::vector<std::string> arguments{"spawn", root_};
    arguments.insert(arguments.end(), programAndArguments.begin(), programAndArguments.end());
    return simctl(arguments);
}

Json DeviceSession::status() {
    const CommandResult result = simctl({"status", root_});
    if (result.status != 0) return nullptr;
    return Json::parse(result.output, nullptr, false);
}

std::vector<Json> DeviceSession::events() const {
    std::vector<Json> events;
    std::ifstream in(wire::inRoot(root_, wire::paths::kEvents));
    std::string line;
    while (std::getline(in, line)) {
        if (in.eof()) break;  // no newline yet: still being written
        Json event = Json::parse(line, nullptr, false);
        if (!event.is_discarded()) events.push_back(std::move(event));
    }
    return events;
}

bool DeviceSession::waitForEvents(const std::function<bool(const std::vector<Json>&)>& condition,
                                  double hostSeconds) const {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(hostSeconds));
    while (true) {
        if (condition(events())) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool DeviceSession::waitForStatus(const std::function<bool(const Json&)>& condition,
                                  double hostSeconds) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(hostSeconds));
    while (true) {
        const Json current = status();
        if (!current.is_null() && !current.is_discarded() && condition(current)) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

std::vector<Json> eventsNamed(const std::vector<Json>& events, const std::string& name) {
    std::vector<Json> found;
    std::copy_if(events.begin(), events.end(), std::back_inserter(found),
                 [&](const Json& e) { return e.value("event", "") == name; });
    return found;
}

long long deviceSeconds(const Json& time) {
    std::tm parts{};
    const std::string text = time.is_string() ? time.get<std::string>() : "";
    if (!strptime(text.c_str(), "%Y-%m-%dT%H:%M:%S", &parts)) return -1;
    return static_cast<long long>(timegm(&parts));
}

std::vector<pid_t> DeviceSession::startedProcesses() const {
    std::vector<pid_t> pids = simdPids_;
    for (const Json& event : events())
        // launchd's jobs are logged as job-started, not process-started.
        if ((event.value("event", "") == "process-started" ||
             event.value("event", "") == "job-started") &&
            event.contains("pid") && event["pid"].is_number_integer())
            pids.push_back(event["pid"].get<pid_t>());
    return pids;
}

bool DeviceSession::ownsProcess(pid_t pid) const {
    // simd names the root on its command line; device processes carry it in their environment.
    const std::string proc = "/proc/" + std::to_string(pid);
    const std::string commandLine = readWhole(proc + "/cmdline");
    const std::string environment = readWhole(proc + "/environ");
    return commandLine.find(std::string("\0", 1) + root_ + std::string("\0", 1)) !=
               std::string::npos ||
           environment.find("SIMDEVICE_ROOT=" + root_ + std::string("\0", 1)) != std::string::npos;
}

std::vector<pid_t> DeviceSession::leftoverProcesses() const {
    std::vector<pid_t> left;
    // Only what this device started and still runs on it: an id reused since is left alone.
    for (pid_t pid : startedProcesses())
        if (processAlive(pid) && ownsProcess(pid)) left.push_back(pid);
    return left;
}

void DeviceSession::killLeftovers() const {
    for (pid_t pid : leftoverProcesses()) kill(pid, SIGKILL);
}

}  // namespace e2e
