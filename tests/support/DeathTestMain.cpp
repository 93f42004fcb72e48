// The main of programs whose death tests must start a fresh process: a process-wide instance
// (AppSettings, the status-bar controller and its handlers) must not come from earlier tests.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
