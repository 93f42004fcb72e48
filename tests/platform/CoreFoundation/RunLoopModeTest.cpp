// Run-loop modes: the common modes include the default mode, timers live in the default mode
// only, and a mode with nothing in it finishes at once.
#include <CoreFoundationInternal.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

constexpr CFRunLoopMode kOtherMode = "VigilantOtherMode";

// A readable pipe as a plain run-loop source that counts how often it was served.
struct ReadySource {
    int fds[2] = {-1, -1};
    int served = 0;
    std::function<void()> alsoDo;  // more that serving it does
    std::unique_ptr<platform::DescriptorSource> descriptor;
    CFRunLoopSourceRef source = nullptr;
    ReadySource() {
        EXPECT_EQ(::pipe2(fds, O_NONBLOCK), 0);
        EXPECT_EQ(::write(fds[1], "x", 1), 1);
        descriptor = std::make_unique<platform::DescriptorSource>(fds[0], [this] {
            ++served;
            if (alsoDo) alsoDo();
        });
        source = descriptor->source();
    }
    ~ReadySource() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
};

struct ModeCase {
    CFRunLoopMode registered;
    CFRunLoopMode running;
    bool served;
};
// Test names show the case, not its bytes.
void PrintTo(const ModeCase& c, std::ostream* os) {
    *os << c.registered << " run in " << c.running;
}

class RunLoopModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(RunLoopModes, SourceIsServedOnlyInMatchingModes) {
    TestPlatform device;
    ReadySource ready;
    CFRunLoopAddSource(CFRunLoopGetCurrent(), ready.source, GetParam().registered);
    const SInt32 result = CFRunLoopRunInMode(GetParam().running, 0, true);
    EXPECT_EQ(ready.served, GetParam().served ? 1 : 0);
    // A mode that holds nothing finishes at once.
    EXPECT_EQ(result, GetParam().served ? kCFRunLoopRunHandledSource : kCFRunLoopRunFinished);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunLoopModes,
    ::testing::Values(ModeCase{kCFRunLoopCommonModes, kCFRunLoopDefaultMode, true},
                      ModeCase{kCFRunLoopDefaultMode, kCFRunLoopDefaultMode, true},
                      ModeCase{kOtherMode, kOtherMode, true},
                      ModeCase{kOtherMode, kCFRunLoopDefaultMode, false},
                      ModeCase{kCFRunLoopDefaultMode, kOtherMode, false}));

TEST(RunLoopModes, TimersFireInTheDefaultModeOnly) {
    TestPlatform device;
    int fired = 0;
    NSTimer::scheduledTimerWithTimeInterval(
        1, [&](NSTimer*) { ++fired; }, nullptr, true);
    device.sleepFor(2);
    EXPECT_EQ(CFRunLoopRunInMode(kOtherMode, 5, false), kCFRunLoopRunFinished);
    EXPECT_EQ(fired, 0);
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
    EXPECT_EQ(fired, 1);
}

TEST(RunLoopModes, NothingRegisteredFinishesAtOnceWithoutMovingTheClock) {
    TestPlatform device;
    const CFAbsoluteTime before = CFAbsoluteTimeGetCurrent();
    const unsigned long long wakeups = platform::runLoopWakeups();
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true), kCFRunLoopRunFinished);
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), before);
    EXPECT_EQ(platform::runLoopWakeups(), wakeups);
}

TEST(RunLoopModes, RemovedSourceIsNoLongerServed) {
    TestPlatform device;
    ReadySource ready;
    CFRunLoopAddSource(CFRunLoopGetCurrent(), ready.source, kCFRunLoopCommonModes);
    CFRunLoopAddSource(CFRunLoopGetCurrent(), ready.source, kCFRunLoopCommonModes);  // no twin
    EXPECT_TRUE(
        CFRunLoopContainsSource(CFRunLoopGetCurrent(), ready.source, kCFRunLoopCommonModes));
    CFRunLoopRemoveSource(CFRunLoopGetCurrent(), ready.source, kCFRunLoopCommonModes);
    EXPECT_FALSE(
        CFRunLoopContainsSource(CFRunLoopGetCurrent(), ready.source, kCFRunLoopCommonModes));
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1, true), kCFRunLoopRunFinished);
    EXPECT_EQ(ready.served, 0);
}

TEST(RunLoopModes, CallbackThatRemovesALaterSourceKeepsItFromBeingServed) {
    TestPlatform device;
    ReadySource first;
    ReadySource second;
    first.alsoDo = [&] {
        CFRunLoopRemoveSource(CFRunLoopGetCurrent(), second.source, kCFRunLoopDefaultMode);
    };
    CFRunLoopAddSource(CFRunLoopGetCurrent(), first.source, kCFRunLoopDefaultMode);
    CFRunLoopAddSource(CFRunLoopGetCurrent(), second.source, kCFRunLoopDefaultMode);
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
    EXPECT_EQ(first.served, 1);
    EXPECT_EQ(second.served, 0);
}

}  // namespace
