// The libstatusbar service inside SpringBoard: programs send it "setProperties:userInfo:" on
// the centre "com.apple.springboard.libstatusbar" with {item, properties: 1} to show an item
// and {item} alone to hide it.
#pragma once

#include <plist/plist++.h>

#include <string>

#include "StatusBar.h"

namespace springboard {

inline constexpr const char* kLibStatusBarCenter = "com.apple.springboard.libstatusbar";
inline constexpr const char* kLibStatusBarMessage = "setProperties:userInfo:";

class LibStatusBarCenter {
  public:
    explicit LibStatusBarCenter(StatusBar& statusBar) : statusBar_(statusBar) {}

    // Empty when the message was understood (shown, hidden, or already so); otherwise why it
    // was ignored. Nothing changes for a message that is not understood.
    std::string receive(const std::string& center, const std::string& message,
                        const PList::Dictionary* userInfo, std::optional<int64_t> pid);

  private:
    StatusBar& statusBar_;
};

}  // namespace springboard
