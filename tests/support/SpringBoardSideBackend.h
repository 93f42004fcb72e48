// The test backend as SpringBoard's process sees it (iOS 4.0, the mobile user, SpringBoard's
// bundle), for unit tests of SpringBoard's side and of what loads into it. Device paths are
// host paths unless a test gives it a root.
#pragma once

#include <string>

#include "TestBackend.h"

class SpringBoardSideBackend : public platform::testing::TestBackend {
  public:
    SpringBoardSideBackend() {
        process().setName("SpringBoard");
        files().setDeviceRoot("");
        files().setSystemVersion("4.0");
        files().setHomeDirectory("/var/mobile");
        files().setMainBundlePath("/System/Library/CoreServices/SpringBoard.app");
        springBoard().setServerPort(0x1234);
    }
};
