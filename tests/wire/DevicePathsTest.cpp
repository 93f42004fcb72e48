// Device paths resolve under the root whatever they spell: "..", "." and "//" are taken out
// first, and ".." at the root stays there, so no device path names a host file.
#include <gtest/gtest.h>
#include <wire/DevicePaths.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kRoot = "/tmp/vigilant-e2e-x/device";

struct PathCase {
    const char* name;
    const char* given;
    const char* normal;  // the one spelling
    bool climbsOut;
};

const std::vector<PathCase> kCases = {
    {"plain", "/bin/launchctl", "/bin/launchctl", false},
    {"root", "/", "/", false},
    {"empty", "", "/", false},
    {"relative", "bin/launchctl", "/bin/launchctl", false},
    {"double slashes", "//bin///launchctl/", "/bin/launchctl", false},
    {"dots", "/./bin/./launchctl/.", "/bin/launchctl", false},
    {"dot-dot inside", "/usr/lib/../../bin/launchctl", "/bin/launchctl", false},
    {"dot-dot above the root", "/../../bin/sh", "/bin/sh", true},
    {"dot-dot above the root later", "/bin/../../../etc/passwd", "/etc/passwd", true},
    {"only dot-dots", "/../..", "/", true},
    {"dots in names are names", "/a..b/...", "/a..b/...", false},
};

TEST(DevicePaths, EverySpellingTakesItsOneFormAndStaysUnderTheRoot) {
    for (const PathCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const wire::DevicePath normal = wire::normalDevicePath(c.given);
        EXPECT_EQ(normal.path, c.normal);
        EXPECT_EQ(normal.climbsOut, c.climbsOut);
        const std::string host = wire::inRoot(kRoot, c.given);
        EXPECT_EQ(host, std::string(c.normal) == "/" ? kRoot : kRoot + std::string(c.normal));
        EXPECT_EQ(wire::deviceView(kRoot, host), std::string(c.normal));
        EXPECT_EQ(wire::resolveDeviceArgument(kRoot, c.given), host);
    }
}

TEST(DevicePaths, AHostPathReadsAsInsideTheRootOnlyOnceItsDotDotsAreTakenOut) {
    const std::string root = kRoot;
    EXPECT_EQ(wire::deviceView(root, root + "/bin/../var/root"), "/var/root");
    EXPECT_EQ(wire::deviceView(root, root + "//bin/"), "/bin");
    EXPECT_EQ(wire::deviceView(root, root), "/");
    EXPECT_EQ(wire::deviceView(root, root + "/../../bin/sh"), std::nullopt);
    EXPECT_EQ(wire::deviceView(root, root + "/.."), std::nullopt);
    EXPECT_EQ(wire::deviceView(root, root + "2/x"), std::nullopt);
    // Given as a host path that climbs out, it is a device path again: under the root.
    EXPECT_EQ(wire::resolveDeviceArgument(root, root + "/../../bin/sh"), root + "/tmp/bin/sh");
    EXPECT_EQ(wire::resolveDeviceArgument(root, root + "/bin/../bin/launchctl"),
              root + "/bin/launchctl");
}

}  // namespace
