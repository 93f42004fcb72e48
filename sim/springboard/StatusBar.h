// The status bar's named items, in the order they were first shown. Every change is written
// to the device's status-bar state file and logged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "EventSink.h"

namespace springboard {

class StatusBar {
  public:
    StatusBar(std::string stateFileHostPath, EventSink& events);

    // A name that is shown already stays as it is: no second entry, no event. Returns whether
    // the status bar changed.
    bool show(const std::string& item, const std::string& route, std::optional<int64_t> pid);
    bool hide(const std::string& item, const std::string& route, std::optional<int64_t> pid);
    const std::vector<std::string>& items() const { return items_; }

    // A state file left by an earlier SpringBoard describes items nobody shows any more.
    void forgetEarlierState();

  private:
    // E: StatusBarShow or StatusBarHide.
    template <class E>
    void changed(const std::string& item, const std::string& route, std::optional<int64_t> pid);

    std::string stateFile_;
    EventSink& events_;
    std::vector<std::string> items_;
};

}  // namespace springboard
