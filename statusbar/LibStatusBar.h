// The libstatusbar protocol: one-way messages to the centre "com.apple.springboard.libstatusbar"
// inside SpringBoard. Stateless; the caller decides when this route applies.
#pragma once

#include <Foundation/Foundation.h>

class LibStatusBar {
  public:
    static void addStatusBarImageNamed(const NSString& name);
    static void removeStatusBarImageNamed(const NSString& name);
    LibStatusBar() = delete;
};
