#include "Processes.h"

#include <unistd.h>
#include <wire/DevicePaths.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace simd {

base::SpawnOptions deviceProgram(const std::string& hostRoot, const std::string& hostProgram,
                                 std::vector<std::string> argv,
                                 std::vector<std::string> environment, const std::string& logName) {
    base::SpawnOptions options;
    options.program = hostProgram;
    options.argv = std::move(argv);
    options.environment = std::move(environment);
    options.workingDirectory = hostRoot;
    options.group = base::SpawnOptions::Group::NewGroup;
    options.nullInput = true;
    options.outputPath =
        wire::inRoot(hostRoot, std::string(wire::paths::kLogFolder) + "/" + logName + ".log");
    return options;
}

std::vector<std::string> deviceEnvironment(const std::string& hostRoot) {
    return {std::string(wire::paths::kRootVariable) + "=" + hostRoot, "PATH=/usr/bin:/bin",
            "TZ=UTC", "LANG=C.UTF-8"};
}

std::vector<std::string> withDeviceRoot(std::vector<std::string> base,
                                        const std::string& hostRoot) {
    const std::string prefix = std::string(wire::paths::kRootVariable) + "=";
    std::erase_if(base, [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
    base.push_back(prefix + hostRoot);
    return base;
}

namespace {
bool environmentNamesRoot(pid_t pid, const std::string& wanted) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
    if (!in) return false;
    std::string entry;
    while (std::getline(in, entry, '\0'))
        if (entry == wanted) return true;
    return false;
}

bool commandLineServesRoot(pid_t pid, const std::string& hostRoot) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    if (!in) return false;
    std::vector<std::string> argv;
    std::string word;
    while (std::getline(in, word, '\0')) argv.push_back(word);
    if (argv.empty() || std::filesystem::path(argv.front()).filename() != "simd") return false;
    for (size_t i = 1; i + 1 < argv.size(); ++i)
        if (argv[i] == "--root" && argv[i + 1] == hostRoot) return true;
    return false;
}

// Every live process but the caller for which `matches(pid)` holds.
std::vector<pid_t> findProcesses(const std::function<bool(pid_t)>& matches) {
    std::vector<pid_t> found;
    const pid_t self = getpid();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        char* end = nullptr;
        const long pid = std::strtol(name.c_str(), &end, 10);
        if (!end || *end != '\0' || pid <= 0 || pid == self) continue;
        if (matches(static_cast<pid_t>(pid)) && processAlive(static_cast<pid_t>(pid)))
            found.push_back(static_cast<pid_t>(pid));
    }
    return found;
}
}  // namespace

std::vector<pid_t> findDeviceProcesses(const std::string& hostRoot) {
    const std::string wanted = std::string(wire::paths::kRootVariable) + "=" + hostRoot;
    return findProcesses([&](pid_t pid) { return environmentNamesRoot(pid, wanted); });
}

std::vector<pid_t> findSimds(const std::string& hostRoot) {
    return findProcesses([&](pid_t pid) { return commandLineServesRoot(pid, hostRoot); });
}

std::string processName(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

namespace {
// Fields of /proc/PID/stat after the command name (which may hold spaces and parentheses).
std::optional<std::vector<std::string>> statFields(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    // Read as the other /proc files are: the stat of a process that ends meanwhile fails with
    // ESRCH, which getline takes as a failed read and a stream iterator would throw.
    std::string text;
    if (!in || !std::getline(in, text, '\0')) return std::nullopt;
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::vector<std::string> fields;
    size_t pos = close + 1;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ') ++pos;
        const size_t end = text.find(' ', pos);
        fields.push_back(text.substr(pos, end - pos));
        if (end == std::string::npos) break;
        pos = end;
    }
    return fields;
}
}  // namespace

std::optional<unsigned long long> processStartTicks(pid_t pid) {
    auto fields = statFields(pid);
    // After the name: state is field 3 of the file (index 0 here), starttime field 22.
    if (!fields || fields->size() < 20) return std::nullopt;
    return std::stoull((*fields)[19]);
}

bool processAlive(pid_t pid) {
    auto fields = statFields(pid);
    return fields && !fields->empty() && (*fields)[0] != "Z" && (*fields)[0] != "X";
}

bool sameProcess(pid_t pid, unsigned long long startTicks) {
    auto ticks = processStartTicks(pid);
    return ticks && *ticks == startTicks && processAlive(pid);
}

}  // namespace simd
