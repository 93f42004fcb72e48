// The SpringBoardServices framework as programs open it: three functions forwarding to the
// platform, and the variant without SBRemoveStatusBarItem.
#include <SpringBoardServices/SpringBoardServices.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "SpringBoardSideBackend.h"

namespace {

TEST(SpringBoardServices, ForwardsThePortAndTheStatusBarCalls) {
    SpringBoardSideBackend backend;
    backend.springBoard().setServerPort(0xabc);
    void* library = dlopen(SBS_PATH, RTLD_LAZY);
    ASSERT_NE(library, nullptr) << dlerror();
    auto port = reinterpret_cast<SBSSpringBoardServerPortFunction>(
        dlsym(library, "SBSSpringBoardServerPort"));
    auto add = reinterpret_cast<SBAddStatusBarItemFunction>(dlsym(library, "SBAddStatusBarItem"));
    auto remove =
        reinterpret_cast<SBRemoveStatusBarItemFunction>(dlsym(library, "SBRemoveStatusBarItem"));
    ASSERT_TRUE(port && add && remove);

    EXPECT_EQ(port(), 0xabcu);
    add(0xabc, "VigilantPro", 0);
    remove(0xabc, "VigilantPro");
    add(0xabc, nullptr, 0);  // nothing to show
    remove(0xabc, nullptr);
    const auto& calls = backend.callsOf<platform::testing::StatusBarRequest>();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].port, 0xabcu);
    EXPECT_EQ(calls[0].item, "VigilantPro");
    EXPECT_TRUE(calls[0].show);
    EXPECT_EQ(calls[0].flags, 0);
    EXPECT_FALSE(calls[1].show);
    dlclose(library);
}

TEST(SpringBoardServices, TheTestVariantLacksOnlySBRemoveStatusBarItem) {
    SpringBoardSideBackend backend;
    void* library = dlopen(SBS_WITHOUT_REMOVE_PATH, RTLD_LAZY);
    ASSERT_NE(library, nullptr) << dlerror();
    EXPECT_NE(dlsym(library, "SBSSpringBoardServerPort"), nullptr);
    EXPECT_NE(dlsym(library, "SBAddStatusBarItem"), nullptr);
    EXPECT_EQ(dlsym(library, "SBRemoveStatusBarItem"), nullptr);
    dlclose(library);
}

}  // namespace
