// Files of the test device's root, and the wake-request list that bookings edit.
#include <base/AtomicFile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "TestPlatform.h"

namespace platform::testing {

namespace {

std::unique_ptr<PList::Node> parse(const std::string& bytes) {
    return NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
        NSData(std::vector<char>(bytes.begin(), bytes.end())), NSPropertyListImmutable, nullptr,
        nullptr);
}

std::string xmlOf(const PList::Node& node) {
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        node, NSPropertyListXMLFormat_v1_0, nullptr);
    return std::string(data.bytes().begin(), data.bytes().end());
}

PList::Dictionary entryNode(const AutoWakeEntry& entry) {
    PList::Dictionary node;
    node.Set("time",
             NSDate::dateWithTimeIntervalSinceReferenceDate(entry.time).propertyListValue());
    node.Set("scheduledby", PList::String(entry.scheduledBy));
    return node;
}
}  // namespace

void TestPlatform::writeFile(const std::string& devicePath, const std::string& bytes) {
    if (!base::writeFileAtomically(hostPathOf(devicePath),
                                   std::vector<char>(bytes.begin(), bytes.end())))
        throw std::runtime_error("cannot write " + hostPathOf(devicePath));
}

std::string TestPlatform::readFile(const std::string& devicePath) const {
    std::ifstream in(hostPathOf(devicePath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TestPlatform::fileExists(const std::string& devicePath) const {
    return std::filesystem::exists(hostPathOf(devicePath));
}

void TestPlatform::removeFile(const std::string& devicePath) {
    std::error_code ignored;
    std::filesystem::remove(hostPathOf(devicePath), ignored);
}

void TestPlatform::writeAutoWakeEntries(const std::vector<AutoWakeEntry>& entries) {
    // Built through the C interface: libplist++ 2.2 leaks the elements of every array it
    // copies, and putting an array into a dictionary copies it.
    plist_t wake = plist_new_array();
    for (const AutoWakeEntry& entry : entries)
        plist_array_append_item(wake, plist_copy(entryNode(entry).GetPlist()));
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "wake", wake);
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(top, &xml, &length);
    writeAutoWakeFile(std::string(xml, length));
    plist_to_xml_free(xml);
    plist_free(top);
}

std::vector<AutoWakeEntry> TestPlatform::autoWakeEntries() const {
    std::vector<AutoWakeEntry> entries;
    const auto plist = parse(readFile(kAutoWakePath));
    auto* top = NSDynamicCast<NSDictionary>(plist.get());
    if (!top) return entries;
    auto it = top->Find("wake");
    auto* wake = it == top->End() ? nullptr : NSDynamicCast<NSArray>(it->second);
    if (!wake) return entries;
    for (NSUInteger i = 0; i < NSArrayCount(*wake); ++i) {
        const auto object = NSArrayObjectAtIndex(*wake, i);
        const auto* element = NSDynamicCast<NSDictionary>(object.get());
        if (!element) continue;
        AutoWakeEntry entry;
        auto time = element->Find("time");
        if (time != element->End())
            if (auto date = NSDate::fromPropertyList(time->second))
                entry.time = date->timeIntervalSinceReferenceDate();
        auto by = element->Find("scheduledby");
        if (by != element->End())
            if (const auto* s = NSDynamicCast<PList::String>(by->second))
                entry.scheduledBy = s->GetValue();
        entries.push_back(entry);
    }
    return entries;
}

// Bookings keep whole seconds, as the phone's list does, so a time read back from the list
// names the booking exactly. A list that is no property list is left as it is.
void TestPlatform::editAutoWakeFile(const AutoWakeEntry& entry, bool add) {
    if (!maintainAutoWake_) return;
    const AutoWakeEntry whole{std::floor(entry.time), entry.scheduledBy};
    const bool exists = fileExists(kAutoWakePath);
    const auto plist = exists ? parse(readFile(kAutoWakePath)) : nullptr;
    if (exists && !NSDynamicCast<NSDictionary>(plist.get())) return;
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

bool TestPlatform::scheduleWake(CFAbsoluteTime date, const std::string& identifier) {
    if (keepRecords_) wakeRequests_.push_back({WakeAction::schedule, date, identifier});
    editAutoWakeFile({date, identifier}, true);
    return true;
}

bool TestPlatform::cancelWake(CFAbsoluteTime date, const std::string& identifier) {
    if (keepRecords_) wakeRequests_.push_back({WakeAction::cancel, date, identifier});
    editAutoWakeFile({date, identifier}, false);
    return true;
}

std::string TestPlatform::settingsDevicePath() const {
    return "/var/root/Library/Preferences/" +
           NSBundle::mainBundle().bundleIdentifier().value_or(kDefaultBundleIdentifier) + ".plist";
}

void TestPlatform::writeSettings(const PList::Dictionary& settings) {
    writeSettingsFile(xmlOf(settings));
}

std::unique_ptr<PList::Dictionary> TestPlatform::readSettings() const {
    auto plist = parse(readFile(settingsDevicePath()));
    if (!NSDynamicCast<NSDictionary>(plist.get())) return nullptr;
    return std::unique_ptr<PList::Dictionary>(static_cast<PList::Dictionary*>(plist.release()));
}

void TestPlatform::installSpringBoardServices(const std::string& hostLibraryPath) {
    const std::filesystem::path link = hostPathOf(kSpringBoardServicesPath);
    std::filesystem::create_directories(link.parent_path());
    std::error_code ignored;
    std::filesystem::remove(link, ignored);
    std::filesystem::create_symlink(std::filesystem::absolute(hostLibraryPath), link);
}

}  // namespace platform::testing
