// simd's signal descriptor: a shutdown request that comes while simd waits for a child (during
// a respring, say) is kept for the loop, not swallowed by the wait.
#include <gtest/gtest.h>
#include <sim/simd/SignalWatch.h>
#include <unistd.h>

#include <csignal>

namespace {

TEST(SignalWatch, AShutdownRequestTakenDuringAPauseIsKeptForTheLoop) {
    simd::SignalWatch signals;  // blocks the signals it serves, for this test's own process
    ASSERT_TRUE(signals.valid());
    EXPECT_FALSE(signals.shutdownPending());
    ASSERT_EQ(kill(getpid(), SIGTERM), 0);
    signals.pause(5);
    EXPECT_TRUE(signals.shutdownPending()) << "the SIGTERM was swallowed by the pause";
    EXPECT_TRUE(signals.takeShutdownRequest());
    EXPECT_FALSE(signals.shutdownPending());
    EXPECT_FALSE(signals.takeShutdownRequest()) << "one request, served once";

    // A child's end alone asks for nothing.
    ASSERT_EQ(kill(getpid(), SIGCHLD), 0);
    signals.pause(5);
    EXPECT_FALSE(signals.shutdownPending());
}

}  // namespace
