#include "TestWake.h"

#include <wire/WakeList.h>

#include <stdexcept>

namespace platform::testing {

void TestWake::writeAutoWakeEntries(const std::vector<AutoWakeEntry>& entries) {
    wire::WakeList list;
    for (const AutoWakeEntry& entry : entries) list.add(entry.time, entry.scheduledBy);
    if (!list.save(files_.hostPathOf(kAutoWakePath)))
        throw std::runtime_error(std::string("cannot write ") + kAutoWakePath);
}

std::vector<AutoWakeEntry> TestWake::autoWakeEntries() const {
    return wire::WakeList::load(files_.hostPathOf(kAutoWakePath)).requests();
}

// Edited as simd edits it: whole seconds, entries of others kept, and a list that cannot be
// read left as it is.
void TestWake::edit(const AutoWakeEntry& entry, bool add) {
    if (!maintain_) return;
    const std::string path = files_.hostPathOf(kAutoWakePath);
    wire::WakeList list = wire::WakeList::load(path);
    if (!list.error().empty()) return;
    if (add)
        list.add(entry.time, entry.scheduledBy);
    else
        list.remove(entry.time, entry.scheduledBy);
    list.save(path);
}

bool TestWake::schedule(double date, const std::string& identifier) {
    log_.add(WakeRequest{WakeAction::schedule, date, identifier});
    edit({date, identifier}, true);
    return true;
}

bool TestWake::cancel(double date, const std::string& identifier) {
    log_.add(WakeRequest{WakeAction::cancel, date, identifier});
    edit({date, identifier}, false);
    return true;
}

}  // namespace platform::testing
