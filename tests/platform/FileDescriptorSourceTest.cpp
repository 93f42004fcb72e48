// CFFileDescriptor sources: the callback runs when the descriptor is readable, once per
// enabling, with its info pointer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { EXPECT_EQ(::pipe2(fds, O_NONBLOCK), 0); }
    ~Pipe() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
};

struct Calls {
    int count = 0;
    CFOptionFlags lastTypes = 0;
    CFFileDescriptorRef lastDescriptor = nullptr;
};

void countCall(CFFileDescriptorRef f, CFOptionFlags types, void* info) {
    auto* calls = static_cast<Calls*>(info);
    ++calls->count;
    calls->lastTypes = types;
    calls->lastDescriptor = f;
}

CFFileDescriptorRef watch(int fd, Calls& calls) {
    CFFileDescriptorContext context{0, &calls, nullptr, nullptr, nullptr};
    CFFileDescriptorRef f =
        CFFileDescriptorCreate(kCFAllocatorDefault, fd, false, countCall, &context);
    CFRunLoopAddSource(CFRunLoopGetCurrent(),
                       CFFileDescriptorCreateRunLoopSource(kCFAllocatorDefault, f, 0),
                       kCFRunLoopCommonModes);
    return f;
}

TEST(FileDescriptorSource, CallbackIsOneShotUntilEnabledAgain) {
    TestPlatform device;
    Pipe pipe;
    Calls calls;
    CFFileDescriptorRef f = watch(pipe.fds[0], calls);
    ASSERT_EQ(::write(pipe.fds[1], "ab", 2), 2);

    EXPECT_EQ(device.runOnce(), kCFRunLoopRunTimedOut);  // not enabled: not served
    EXPECT_EQ(calls.count, 0);

    CFFileDescriptorEnableCallBacks(f, kCFFileDescriptorReadCallBack);
    EXPECT_EQ(device.runOnce(), kCFRunLoopRunHandledSource);
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(calls.lastTypes, kCFFileDescriptorReadCallBack);
    EXPECT_EQ(calls.lastDescriptor, f);
    EXPECT_EQ(CFFileDescriptorGetNativeDescriptor(f), pipe.fds[0]);

    device.runOnce();  // still readable, but the callback was used up
    EXPECT_EQ(calls.count, 1);

    CFFileDescriptorEnableCallBacks(f, kCFFileDescriptorReadCallBack);
    device.runOnce();
    EXPECT_EQ(calls.count, 2);
}

TEST(FileDescriptorSource, QuietDescriptorLetsThePeriodTimeOut) {
    TestPlatform device;
    Pipe pipe;
    Calls calls;
    CFFileDescriptorEnableCallBacks(watch(pipe.fds[0], calls), kCFFileDescriptorReadCallBack);
    const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true), kCFRunLoopRunTimedOut);
    EXPECT_EQ(calls.count, 0);
    EXPECT_DOUBLE_EQ(CFAbsoluteTimeGetCurrent() - start, 10.0);
}

TEST(FileDescriptorSource, RunLoopSourceIsOnePerDescriptor) {
    TestPlatform device;
    Pipe pipe;
    Calls calls;
    CFFileDescriptorRef f = watch(pipe.fds[0], calls);
    EXPECT_EQ(CFFileDescriptorCreateRunLoopSource(kCFAllocatorDefault, f, 0),
              CFFileDescriptorCreateRunLoopSource(kCFAllocatorDefault, f, 0));
    EXPECT_EQ(CFFileDescriptorCreateRunLoopSource(kCFAllocatorDefault, nullptr, 0), nullptr);
}

}  // namespace
