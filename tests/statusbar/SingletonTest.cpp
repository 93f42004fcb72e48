// One controller per process: created on first use, a second creation yields nothing, and the
// name is read and written atomically.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "StatusBarTestSupport.h"

namespace {

TEST(StatusBarSingleton, SharedTwiceIsTheSameAndASecondCreationYieldsNothing) {
    StatusBarController* first = StatusBarController::sharedStatusBarController();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(StatusBarController::sharedStatusBarController(), first);
    EXPECT_EQ(StatusBarController::allocWithZone(nullptr), nullptr);
    EXPECT_EQ(StatusBarController::sharedStatusBarController(), first);
}

TEST(StatusBarSingleton, DirectCreationFirstBecomesTheSharedInstance) {
    EXPECT_EXIT(
        {
            StatusBarController* created = StatusBarController::allocWithZone(nullptr);
            const bool same = created &&
                              StatusBarController::sharedStatusBarController() == created &&
                              StatusBarController::allocWithZone(nullptr) == nullptr;
            std::_Exit(same ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(StatusBarSingleton, ConcurrentFirstUseCreatesOneInstance) {
    EXPECT_EXIT(
        {
            std::atomic<bool> go{false};
            StatusBarController* seen[8] = {};
            std::vector<std::thread> threads;
            for (auto& slot : seen)
                threads.emplace_back([&go, &slot] {
                    while (!go) {
                    }
                    slot = StatusBarController::sharedStatusBarController();
                });
            go = true;
            for (auto& t : threads) t.join();
            bool one = seen[0] != nullptr;
            for (auto* s : seen) one = one && s == seen[0];
            std::_Exit(one ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(StatusBarSingleton, IconNameIsNeverSeenHalfWritten) {
    StatusBarController* controller = StatusBarController::sharedStatusBarController();
    const std::string shortName = "A";
    const std::string longName(4096, 'B');
    controller->setIconName(shortName);
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!stop) {
            const std::string name = controller->iconName();
            if (name != shortName && name != longName) ++torn;
        }
    });
    for (int i = 0; i < 20000; ++i) controller->setIconName(i % 2 ? longName : shortName);
    stop = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace
