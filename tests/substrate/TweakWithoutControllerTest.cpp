// The extension loaded into a process without SpringBoard's alerts controller: it still
// starts up with both lines and changes nothing.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <objc/runtime.h>

#include <string>
#include <vector>

#include "SpringBoardSideBackend.h"

namespace {

TEST(ExtensionWithoutAlertsController, StartsAndLeavesTheProcessUnchanged) {
    SpringBoardSideBackend backend;
    ASSERT_NE(dlopen(VIGILANT_SUBSTRATE_PATH, RTLD_NOW), nullptr) << dlerror();
    EXPECT_EQ(backend.logLines(),
              (std::vector<std::string>{"VigilantSubstrate: starting up...",
                                        "VigilantSubstrate: successfully started."}));
    EXPECT_EQ(objc_getClass("SBAlertItemsController"), nullptr);
}

}  // namespace
