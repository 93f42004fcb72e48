// launchd on a fake process table over a device root of its own: a job's state across boots
// through the overrides database, an unload that answers only once the job has ended, and the
// SIGKILL that follows SIGTERM when the grace period is over.
#include <gtest/gtest.h>
#include <sim/simd/Launchd.h>
#include <sys/wait.h>
#include <wire/DevicePaths.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SimdFakes.h"
#include "TemporaryFolder.h"

namespace {

using sim_test::FakeProcesses;
using sim_test::RecordingEvents;
using simd::Launchd;

constexpr char kLabel[] = "com.quillmoor.vigilantpro";
constexpr double kGrace = 20;
constexpr double kStart = 300000000;

class LaunchdTest : public testing::Test {
  protected:
    void SetUp() override {
        jobFile =
            wire::inRoot(root, std::string(wire::paths::kLaunchDaemons) + "/" + kLabel + ".plist");
        writeJob(false);
    }
    void TearDown() override { launchd.reset(); }

    void writeJob(bool disabled,
                  const std::string& program = "/Applications/VigilantPro.app/VigilantPro") {
        std::filesystem::create_directories(std::filesystem::path(jobFile).parent_path());
        std::ofstream(jobFile) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<plist version=\"1.0\"><dict><key>Label</key><string>"
                               << kLabel << "</string><key>ProgramArguments</key><array><string>"
                               << program
                               << "</string><string>darwin</string></array><key>RunAtLoad</key>"
                                  "<true/><key>Disabled</key>"
                               << (disabled ? "<true/>" : "<false/>") << "</dict></plist>\n";
    }

    // A power-on: a fresh launchd (the previous one's processes are gone with it).
    void boot() {
        launchd.reset();
        processes = FakeProcesses();
        events = RecordingEvents();
        launchd = std::make_unique<Launchd>(
            root, events, processes, [this] { return now; }, kGrace);
        launchd->boot();
    }
    bool loaded() const { return !launchd->list().empty(); }
    std::optional<pid_t> runningPid() const {
        const auto pids = launchd->runningPids();
        if (pids.empty()) return std::nullopt;
        return pids.front();
    }

    // launchctl load/unload; the reply, once there is one.
    std::shared_ptr<std::optional<Launchd::Reply>> load(bool persist) {
        auto reply = std::make_shared<std::optional<Launchd::Reply>>();
        launchd->load(jobFile, persist, [reply](const Launchd::Reply& r) { *reply = r; });
        return reply;
    }
    std::shared_ptr<std::optional<Launchd::Reply>> unload(bool persist) {
        auto reply = std::make_shared<std::optional<Launchd::Reply>>();
        launchd->unload(jobFile, persist, [reply](const Launchd::Reply& r) { *reply = r; });
        return reply;
    }
    // The running job ends as a process does, by `waitStatus`.
    void jobEnds(int waitStatus) {
        const auto pid = runningPid();
        ASSERT_TRUE(pid);
        ASSERT_TRUE(launchd->childEnded(*pid, waitStatus));
    }

    TemporaryFolder folder{"launchd"};
    const std::string root = folder.path();
    std::string jobFile;
    double now = kStart;
    FakeProcesses processes;
    RecordingEvents events;
    std::unique_ptr<Launchd> launchd;
};

enum class Change { None, Load, LoadForGood, Unload, UnloadForGood };

struct BootCase {
    const char* name;
    bool fileDisabled;
    Change change;  // done with launchctl while the device runs
    bool loadedAfterChange;
    bool loadedAfterReboot;
};

TEST_F(LaunchdTest, AJobsStateOutlivesARebootOnlyWhenChangedForGood) {
    const std::vector<BootCase> cases = {
        {"enabled by its file", false, Change::None, true, true},
        {"disabled by its file", true, Change::None, false, false},
        {"disabled by its file, plain load is refused", true, Change::Load, false, false},
        {"disabled by its file, load -w", true, Change::LoadForGood, true, true},
        {"enabled, plain unload", false, Change::Unload, false, true},
        {"enabled, unload -w", false, Change::UnloadForGood, false, false},
    };
    for (const BootCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(wire::inRoot(root, wire::paths::kOverrides));
        writeJob(c.fileDisabled);
        boot();
        EXPECT_EQ(loaded(), !c.fileDisabled);
        EXPECT_EQ(processes.started.size(), c.fileDisabled ? 0u : 1u) << "RunAtLoad";
        std::shared_ptr<std::optional<Launchd::Reply>> reply;
        switch (c.change) {
            case Change::None:
                break;
            case Change::Load:
            case Change::LoadForGood:
                reply = load(c.change == Change::LoadForGood);
                break;
            case Change::Unload:
            case Change::UnloadForGood:
                reply = unload(c.change == Change::UnloadForGood);
                jobEnds(0);
                break;
        }
        if (reply) {
            ASSERT_TRUE(*reply);
            EXPECT_EQ((*reply)->ok, c.change != Change::Load) << (*reply)->error;
        }
        EXPECT_EQ(loaded(), c.loadedAfterChange);

        boot();
        EXPECT_EQ(loaded(), c.loadedAfterReboot);
        EXPECT_EQ(runningPid().has_value(), c.loadedAfterReboot);
    }
}

TEST_F(LaunchdTest, UnloadAnswersOnceTheJobHasEnded) {
    boot();
    const pid_t pid = *runningPid();
    const auto reply = unload(false);
    EXPECT_EQ(processes.signals, (std::vector<std::pair<pid_t, int>>{{pid, SIGTERM}}));
    EXPECT_FALSE(*reply) << "the job still runs";
    EXPECT_TRUE(loaded());

    // A second unload joins the first: one SIGTERM, two answers.
    const auto again = unload(false);
    EXPECT_EQ(processes.signals.size(), 1u);

    const size_t before = events.events.size();
    jobEnds(W_EXITCODE(0, SIGTERM));
    ASSERT_TRUE(*reply);
    EXPECT_TRUE((*reply)->ok);
    ASSERT_TRUE(*again);
    EXPECT_TRUE((*again)->ok);
    EXPECT_FALSE(loaded());
    const std::vector<std::string> names = events.names();
    EXPECT_EQ(std::vector<std::string>(names.begin() + static_cast<long>(before), names.end()),
              (std::vector<std::string>{"job-ended", "job-unloaded"}));
    EXPECT_EQ(events.events[before].fields["signal"], SIGTERM);
}

TEST_F(LaunchdTest, AJobThatOutlivesItsGraceIsKilledWithItsProcessGroup) {
    boot();
    const pid_t pid = *runningPid();
    const auto reply = unload(true);
    EXPECT_EQ(launchd->nextDeadline(), kStart + kGrace);

    launchd->advance(kStart + kGrace - 0.5);
    EXPECT_EQ(processes.signals.size(), 1u) << "SIGTERM alone while the grace lasts";

    launchd->advance(kStart + kGrace);
    EXPECT_EQ(processes.signals, (std::vector<std::pair<pid_t, int>>{
                                     {pid, SIGTERM}, {-pid, SIGKILL}, {pid, SIGKILL}}));
    EXPECT_EQ(events.events.back().event, "job-killed");
    EXPECT_FALSE(*reply) << "answered when the job has ended, not when it was killed";
    EXPECT_EQ(launchd->nextDeadline(), std::nullopt);
    launchd->advance(kStart + 2 * kGrace);
    EXPECT_EQ(processes.signals.size(), 3u) << "killed once";

    jobEnds(W_EXITCODE(0, SIGKILL));
    ASSERT_TRUE(*reply);
    EXPECT_TRUE((*reply)->ok);
    EXPECT_FALSE(loaded());
}

// A job file names its program by a device path: however it climbs, it is started from under
// the root, never from the host.
TEST_F(LaunchdTest, AJobsProgramResolvesUnderTheRootWhateverItClimbs) {
    for (const char* program :
         {"/bin/sh", "/../../bin/sh", "/usr/../../../bin/./sh", "//bin//sh"}) {
        SCOPED_TRACE(program);
        std::filesystem::remove(wire::inRoot(root, wire::paths::kOverrides));
        writeJob(false, program);
        boot();
        ASSERT_EQ(processes.started.size(), 1u);
        EXPECT_EQ(processes.started[0].program, root + "/bin/sh");
        EXPECT_EQ(processes.started[0].argv.front(), program) << "argv[0] as the job file has it";
    }
}

}  // namespace
