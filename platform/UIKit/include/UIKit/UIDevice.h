#pragma once

#include <Foundation/Foundation.h>

class UIDevice {
  public:
    static UIDevice& currentDevice();
    // The system version, for example "3.1.3"; fetched from the system at every call.
    NSString systemVersion() const;
};
