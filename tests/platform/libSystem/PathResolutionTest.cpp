// Device paths resolve under the device root: platform::hostPath, and the dlopen and popen
// interposers that let the system's code name device paths literally.
#include <backend/Backend.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

struct PathCase {
    std::string devicePath;
    bool underRoot;
};
// Test names show the case, not its bytes.
void PrintTo(const PathCase& c, std::ostream* os) { *os << "\"" << c.devicePath << "\""; }

class HostPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(HostPath, JoinsAbsoluteDevicePathsWithTheRoot) {
    TestPlatform device;
    const std::string& path = GetParam().devicePath;
    EXPECT_EQ(platform::hostPath(path), GetParam().underRoot ? device.deviceRoot() + path : path);
}

INSTANTIATE_TEST_SUITE_P(Table, HostPath,
                         ::testing::Values(PathCase{"/var/root", true},
                                           PathCase{"/System/Library/x y", true},
                                           PathCase{"relative/path", false}, PathCase{"", false}));

TEST(HostPath, AlreadyResolvedPathStaysButALookalikeDoesNot) {
    TestPlatform device;
    const std::string inside = device.deviceRoot() + "/var/root";
    EXPECT_EQ(platform::hostPath(inside), inside);
    EXPECT_EQ(platform::hostPath(device.deviceRoot()), device.deviceRoot());
    const std::string lookalike = device.deviceRoot() + "extra/file";  // shares the prefix only
    EXPECT_EQ(platform::hostPath(lookalike), device.deviceRoot() + lookalike);
}

TEST(HostPath, DotDotsAreTakenOutFirstSoNoPathLeadsAboveTheRoot) {
    TestPlatform device;
    const std::string root = device.deviceRoot();
    EXPECT_EQ(platform::hostPath("/../../etc/passwd"), root + "/etc/passwd");
    EXPECT_EQ(platform::hostPath("/var/./root//Library/../x"), root + "/var/root/x");
    EXPECT_EQ(platform::hostPath(root + "/var/../var/root"), root + "/var/root");
    // Given as a host path, it is one only while it stays inside the root.
    EXPECT_EQ(platform::hostPath(root + "/../../etc/passwd").rfind(root + "/", 0), 0u);
}

TEST(HostPath, WithoutATestPlatformAndNoDeviceDevicePathsAreHostPaths) {
    if (std::getenv("SIMDEVICE_ROOT")) GTEST_SKIP() << "running inside a simulated device";
    EXPECT_EQ(platform::hostPath("/var/root"), "/var/root");
}

TEST(DlopenInterposer, OpensALibraryByItsDevicePath) {
    TestPlatform device;
    const std::string devicePath = "/System/Library/Frameworks/Plugin.framework/Plugin";
    std::filesystem::create_directories(
        std::filesystem::path(device.hostPathOf(devicePath)).parent_path());
    std::filesystem::create_symlink(PLATFORM_TEST_PLUGIN, device.hostPathOf(devicePath));

    void* library = dlopen(devicePath.c_str(), RTLD_LAZY);
    ASSERT_NE(library, nullptr) << dlerror();
    auto answer = reinterpret_cast<int (*)()>(dlsym(library, "vigilantPluginAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(dlclose(library), 0);
}

TEST(DlopenInterposer, MissingDevicePathFailsAndHostPathsPassUnchanged) {
    TestPlatform device;
    EXPECT_EQ(dlopen("/System/Library/PrivateFrameworks/Missing.framework/Missing", RTLD_LAZY),
              nullptr);
    void* host = dlopen(PLATFORM_TEST_PLUGIN, RTLD_LAZY);  // not under the root
    ASSERT_NE(host, nullptr) << dlerror();
    dlclose(host);
}

TEST(DlopenInterposer, APathThatClimbsAboveTheRootOpensNoHostLibrary) {
    TestPlatform device;
    for (const std::string& climbing : {"/.." + std::string(PLATFORM_TEST_PLUGIN),
                                        "/../.." + std::string(PLATFORM_TEST_PLUGIN)}) {
        SCOPED_TRACE(climbing);
        void* library = dlopen(climbing.c_str(), RTLD_LAZY);
        EXPECT_EQ(library, nullptr) << "opened the host's " << PLATFORM_TEST_PLUGIN;
        if (library) dlclose(library);
    }
}

// What a popen of `command` read, and the exit status pclose gave (-1 for none).
struct Ran {
    std::string output;
    int status = -1;
};

Ran run(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {"(popen failed)"};
    Ran ran;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) ran.output += line;
    const int status = pclose(pipe);
    if (WIFEXITED(status)) ran.status = WEXITSTATUS(status);
    return ran;
}

std::string outputOf(const std::string& command) { return run(command).output; }

TEST(PopenInterposer, ResolvesEachWordThatExistsUnderTheRoot) {
    TestPlatform device;
    device.writeFile("/bin/vigilant-echo", "#!/bin/sh\necho \"device:$1:$2:$3\"\n");
    std::filesystem::permissions(device.hostPathOf("/bin/vigilant-echo"),
                                 std::filesystem::perms(0755));
    EXPECT_EQ(outputOf("/bin/vigilant-echo word /var/root /no/such/path"),
              "device:word:" + device.deviceRoot() + "/var/root:/no/such/path\n");
}

TEST(PopenInterposer, HostCommandRunsWhenTheDeviceHasNoSuchProgram) {
    TestPlatform device;
    EXPECT_EQ(outputOf("/bin/echo  two  spaces"), "two spaces\n");
}

TEST(PopenInterposer, ACommandThatClimbsAboveTheRootRunsTheDevicesProgramOrNone) {
    TestPlatform device;
    device.writeFile("/bin/vigilant-echo", "#!/bin/sh\necho \"device:$1\"\n");
    std::filesystem::permissions(device.hostPathOf("/bin/vigilant-echo"),
                                 std::filesystem::perms(0755));
    EXPECT_EQ(outputOf("/../../bin/vigilant-echo up"), "device:up\n");
    // The device has no /bin/echo: a way up to it must not reach the host's.
    EXPECT_EQ(outputOf("/../../bin/echo escaped 2>/dev/null"), "");
    EXPECT_EQ(outputOf("/bin/../bin/echo escaped 2>/dev/null"), "");
}

// A plain command is started without the shell, so the program's parent is the caller; what
// the shell must interpret still goes through it, and both give the program's status (127 for
// none, as the shell says).
TEST(PopenInterposer, APlainCommandSkipsTheShellAndOthersKeepIt) {
    TestPlatform device;
    device.writeFile("/bin/vigilant-parent", "#!/bin/sh\necho \"$PPID\"\nexit 3\n");
    std::filesystem::permissions(device.hostPathOf("/bin/vigilant-parent"),
                                 std::filesystem::perms(0755));
    const std::string caller = std::to_string(getpid()) + "\n";
    EXPECT_EQ(outputOf("/bin/vigilant-parent -w x=1"), caller);
    EXPECT_NE(outputOf("/bin/vigilant-parent | /bin/cat"), caller);
    EXPECT_NE(outputOf("/bin/vigilant-parent; true"), caller);
    EXPECT_EQ(outputOf("/bin/vigilant-parent >/dev/null"), "");
    EXPECT_EQ(run("/bin/vigilant-parent").status, 3);
    EXPECT_EQ(run("/bin/vigilant-parent 2>/dev/null").status, 3);
    EXPECT_EQ(run("/no/such/program 2>/dev/null").status, 127);
    EXPECT_EQ(run("/no/such/program").status, 127);  // the shell says why on stderr
}

// environ as a caller may leave it at the call, for one case.
class EnvironmentAtTheCall {
  public:
    explicit EnvironmentAtTheCall(std::vector<std::string> entries)
        : entries_(std::move(entries)), saved_(environ) {
        for (auto& entry : entries_) pointers_.push_back(entry.data());
        pointers_.push_back(nullptr);
        environ = pointers_.data();
    }
    ~EnvironmentAtTheCall() { environ = saved_; }

  private:
    std::vector<std::string> entries_;
    std::vector<char*> pointers_;
    char** saved_;
};

struct EnvironmentCase {
    const char* name;
    std::vector<std::string> environment;
};

void PrintTo(const EnvironmentCase& c, std::ostream* os) { *os << c.name; }

class PopenEnvironment : public ::testing::TestWithParam<EnvironmentCase> {};

TEST_P(PopenEnvironment, TheChildHasTheDevicesRootOnceAndTheRestAsItWas) {
    TestPlatform device;
    std::string seen;
    {
        const EnvironmentAtTheCall environment(GetParam().environment);
        seen = outputOf("/usr/bin/env");
        EXPECT_EQ(environ[GetParam().environment.size()], nullptr);  // the caller's, unchanged
    }
    const std::string entry = "SIMDEVICE_ROOT=" + device.deviceRoot() + "\n";
    ASSERT_NE(seen.find(entry), std::string::npos) << seen;
    EXPECT_EQ(seen.find("SIMDEVICE_ROOT=", seen.find(entry) + 1), std::string::npos) << seen;
    EXPECT_EQ(seen.find("SIMDEVICE_ROOT=/elsewhere"), std::string::npos) << seen;
    EXPECT_NE(seen.find("PATH=/usr/bin:/bin\n"), std::string::npos) << seen;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PopenEnvironment,
    ::testing::Values(
        EnvironmentCase{"WithoutTheRoot", {"PATH=/usr/bin:/bin"}},
        EnvironmentCase{"WithAnotherRoot", {"SIMDEVICE_ROOT=/elsewhere", "PATH=/usr/bin:/bin"}},
        EnvironmentCase{"WithAnEmptyRoot", {"PATH=/usr/bin:/bin", "SIMDEVICE_ROOT="}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
