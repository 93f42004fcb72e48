// A settings writer killed with SIGKILL at random moments never leaves a file that fails to
// parse, nor one that lost the last value whose setter had returned.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <random>
#include <thread>

#include "AppSettings.h"
#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

// The child's progress, shared with the parent: the last value whose setter returned.
struct Progress {
    std::atomic<int> lastReturned;
};

// A writer process that the test always reaps, even when an assertion fails first.
class Writer {
  public:
    Writer(Progress* progress, int firstValue) : pid_(fork()) {
        if (pid_ != 0) return;
        AppSettings& settings = *AppSettings::sharedSettings();
        for (int value = firstValue;; ++value) {
            settings.setScheduleStart(value);
            progress->lastReturned.store(value);
        }
    }
    ~Writer() { kill(); }
    bool started() const { return pid_ > 0; }
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_;
};

bool waitUntil(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

TEST(KilledSettingsWriter, FileAlwaysParsesAndKeepsTheLastReturnedValue) {
    TestPlatform device;
    AppSettings::sharedSettings();
    auto* progress = static_cast<Progress*>(
        mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(progress, MAP_FAILED);
    new (progress) Progress{};
    progress->lastReturned = 0;

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delayMicros(0, 20000);
    int next = 1;
    int previousInFile = 0;
    constexpr int kRounds = 40;
    for (int round = 0; round < kRounds; ++round) {
        const int before = progress->lastReturned;
        Writer writer(progress, next);
        ASSERT_TRUE(writer.started());
        // Let it get going (a setter returned at least once), then kill it at a random moment.
        ASSERT_TRUE(
            waitUntil([&] { return progress->lastReturned > before; }, std::chrono::seconds(60)));
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
        writer.kill();

        const int lastReturned = progress->lastReturned;
        auto file = device.readSettings();
        ASSERT_TRUE(file) << "round " << round << ": the file does not parse";
        auto it = file->Find(kScheduleStartPrefKey);
        ASSERT_NE(it, file->End()) << "round " << round;
        const auto value = platform::testing::settingNumber(*file, kScheduleStartPrefKey);
        ASSERT_TRUE(value);
        // The value in flight may or may not have landed; nothing before it may be lost.
        EXPECT_GE(value->intValue(), lastReturned) << "round " << round;
        EXPECT_LE(value->intValue(), lastReturned + 1) << "round " << round;
        EXPECT_GE(value->intValue(), previousInFile);
        previousInFile = value->intValue();
        next = lastReturned + 2;  // the next writer goes on above anything that may have landed
    }
    munmap(progress, sizeof(Progress));
}

}  // namespace
