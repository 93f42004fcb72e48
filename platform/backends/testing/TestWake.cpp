#include "TestWake.h"

#include <base/PlistFile.h>

#include <cmath>

namespace platform::testing {

namespace {
std::unique_ptr<PList::Node> parse(const std::string& bytes) {
    std::string error;
    return base::parsePlist(std::vector<char>(bytes.begin(), bytes.end()), &error);
}
}  // namespace

void TestWake::writeAutoWakeEntries(const std::vector<AutoWakeEntry>& entries) {
    // Built through the C interface: libplist++ 2.2 leaks the elements of every array it
    // copies, and putting an array into a dictionary copies it.
    plist_t wake = plist_new_array();
    for (const AutoWakeEntry& entry : entries) {
        plist_t node = plist_new_dict();
        plist_dict_set_item(node, "time", plist_copy(base::makeDate(entry.time).GetPlist()));
        plist_dict_set_item(node, "scheduledby", plist_new_string(entry.scheduledBy.c_str()));
        plist_array_append_item(wake, node);
    }
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "wake", wake);
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(top, &xml, &length);
    writeAutoWakeFile(std::string(xml, length));
    plist_to_xml_free(xml);
    plist_free(top);
}

std::vector<AutoWakeEntry> TestWake::autoWakeEntries() const {
    std::vector<AutoWakeEntry> entries;
    const auto plist = parse(files_.readFile(kAutoWakePath));
    auto* top = dynamic_cast<PList::Dictionary*>(plist.get());
    const PList::Array* wake = top ? base::arrayAt(*top, "wake") : nullptr;
    if (!wake) return entries;
    for (size_t i = 0; i < base::arraySize(*wake); ++i) {
        const auto item = base::arrayItem(*wake, i);
        const auto* element = dynamic_cast<const PList::Dictionary*>(item.get());
        if (!element) continue;
        AutoWakeEntry entry;
        if (const PList::Date* time = base::dateAt(*element, "time"))
            entry.time = base::dateSeconds(*time);
        if (const PList::String* by = base::stringAt(*element, "scheduledby"))
            entry.scheduledBy = by->GetValue();
        entries.push_back(entry);
    }
    return entries;
}

// Bookings keep whole seconds, as the phone's list does, so a time read back from the list
// names the booking exactly. A list that is no property list is left as it is.
void TestWake::edit(const AutoWakeEntry& entry, bool add) {
    if (!maintain_) return;
    const AutoWakeEntry whole{std::floor(entry.time), entry.scheduledBy};
    if (files_.fileExists(kAutoWakePath) &&
        !dynamic_cast<PList::Dictionary*>(parse(files_.readFile(kAutoWakePath)).get()))
        return;
    std::vector<AutoWakeEntry> entries = autoWakeEntries();
    if (add) {
        entries.push_back(whole);
    } else {
        std::erase_if(entries, [&](const AutoWakeEntry& e) {
            return std::floor(e.time) == whole.time && e.scheduledBy == whole.scheduledBy;
        });
    }
    writeAutoWakeEntries(entries);
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
