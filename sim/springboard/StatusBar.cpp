#include "StatusBar.h"

#include <Foundation/Foundation.h>
#include <base/AtomicFile.h>
#include <base/PlistFile.h>

#include <algorithm>
#include <filesystem>

namespace springboard {

StatusBar::StatusBar(std::string stateFileHostPath, EventSink& events)
    : stateFile_(std::move(stateFileHostPath)), events_(events) {}

bool StatusBar::show(const std::string& item, const std::string& route,
                     std::optional<int64_t> pid) {
    if (std::find(items_.begin(), items_.end(), item) != items_.end()) return false;
    items_.push_back(item);
    changed<wire::events::StatusBarShow>(item, route, pid);
    return true;
}

bool StatusBar::hide(const std::string& item, const std::string& route,
                     std::optional<int64_t> pid) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return false;
    items_.erase(it);
    changed<wire::events::StatusBarHide>(item, route, pid);
    return true;
}

void StatusBar::forgetEarlierState() {
    std::error_code ec;
    std::filesystem::remove(stateFile_, ec);
}

template <class E>
void StatusBar::changed(const std::string& item, const std::string& route,
                        std::optional<int64_t> pid) {
    PList::Array state;
    for (const std::string& name : items_) {
        PList::String entry(name);
        state.Append(&entry);  // appends a copy
    }
    if (!base::writeFileAtomically(stateFile_, base::plistToXml(state)))
        NSLog("SpringBoard: could not write %s", stateFile_.c_str());

    events_.send(E{{item, route, pid}});
}

}  // namespace springboard
