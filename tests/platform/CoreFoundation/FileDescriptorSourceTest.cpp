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
    CFRelease(f);
}

TEST(FileDescriptorSource, QuietDescriptorLetsThePeriodTimeOut) {
    TestPlatform device;
    Pipe pipe;
    Calls calls;
    CFFileDescriptorRef f = watch(pipe.fds[0], calls);
    CFFileDescriptorEnableCallBacks(f, kCFFileDescriptorReadCallBack);
    const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true), kCFRunLoopRunTimedOut);
    EXPECT_EQ(calls.count, 0);
    EXPECT_DOUBLE_EQ(CFAbsoluteTimeGetCurrent() - start, 10.0);
    CFRelease(f);
}

TEST(FileDescriptorSource, RunLoopSourceIsOnePerDescriptor) {
    TestPlatform device;
    Pipe pipe;
    Calls calls;
    CFFileDescriptorRef f = watch(pipe.fds[0], calls);
    EXPECT_EQ(CFFileDescriptorCreateRunLoopSource(kCFAllocatorDefault, f, 0),
              CFFileDescriptorCreateRunLoopSource(kCFAllocatorDefault, f, 0));
    EXPECT_EQ(CFFileDescriptorCreateRunLoopSource(kCFAllocatorDefault, nullptr, 0), nullptr);
    CFRelease(f);
}

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

// Invalidating or releasing takes the source out of the run loop, so a readable descriptor is
// never served again; only a descriptor made with closeOnInvalidate is closed.
TEST(FileDescriptorSource, InvalidatedOrReleasedDescriptorIsNeverServedAgain) {
    for (const bool release : {false, true}) {
        for (const bool closeOnInvalidate : {false, true}) {
            SCOPED_TRACE(std::string(release ? "released" : "invalidated") +
                         (closeOnInvalidate ? ", closing" : ", keeping the descriptor"));
            TestPlatform device;
            Pipe pipe;
            Calls calls;
            CFFileDescriptorContext context{0, &calls, nullptr, nullptr, nullptr};
            CFFileDescriptorRef f = CFFileDescriptorCreate(kCFAllocatorDefault, pipe.fds[0],
                                                           closeOnInvalidate, countCall, &context);
            CFRunLoopSourceRef source = CFFileDescriptorCreateRunLoopSource(nullptr, f, 0);
            CFRunLoopAddSource(CFRunLoopGetCurrent(), source, kCFRunLoopCommonModes);
            CFFileDescriptorEnableCallBacks(f, kCFFileDescriptorReadCallBack);
            ASSERT_EQ(::write(pipe.fds[1], "x", 1), 1);

            if (release) {
                CFRelease(f);
            } else {
                CFFileDescriptorInvalidate(f);
                EXPECT_FALSE(CFFileDescriptorIsValid(f));
                CFFileDescriptorEnableCallBacks(f, kCFFileDescriptorReadCallBack);
            }
            EXPECT_FALSE(
                CFRunLoopContainsSource(CFRunLoopGetCurrent(), source, kCFRunLoopCommonModes));
            EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0, true), kCFRunLoopRunFinished);
            EXPECT_EQ(calls.count, 0);
            EXPECT_EQ(isOpen(pipe.fds[0]), !closeOnInvalidate);
            if (closeOnInvalidate) pipe.fds[0] = -1;
            if (!release) CFRelease(f);
        }
    }
}

void releaseInCallback(CFFileDescriptorRef f, CFOptionFlags, void* info) {
    ++*static_cast<int*>(info);
    CFRelease(f);
}

// A server drops a client from inside the client's own callback.
TEST(FileDescriptorSource, CallbackMayReleaseItsOwnDescriptor) {
    TestPlatform device;
    Pipe pipe;
    int calls = 0;
    CFFileDescriptorContext context{0, &calls, nullptr, nullptr, nullptr};
    CFFileDescriptorRef f = CFFileDescriptorCreate(kCFAllocatorDefault, pipe.fds[0], false,
                                                   releaseInCallback, &context);
    CFRunLoopAddSource(CFRunLoopGetCurrent(), CFFileDescriptorCreateRunLoopSource(nullptr, f, 0),
                       kCFRunLoopDefaultMode);
    CFFileDescriptorEnableCallBacks(f, kCFFileDescriptorReadCallBack);
    ASSERT_EQ(::write(pipe.fds[1], "x", 1), 1);
    EXPECT_EQ(device.runOnce(), kCFRunLoopRunHandledSource);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0, true), kCFRunLoopRunFinished);
    EXPECT_TRUE(isOpen(pipe.fds[0]));
}

}  // namespace
