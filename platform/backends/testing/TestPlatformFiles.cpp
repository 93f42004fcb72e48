// Files of the test device's root, and the wake-request list that bookings edit.
#include <base/AtomicFile.h>
#include <base/PlistFile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "TestPlatform.h"

namespace platform::testing {

namespace {

// The wake-request list is the system's file: it is read and written as the system's own
// frameworks do, through Foundation.
NSObject parse(const std::string& bytes) {
    return NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
        NSData(std::vector<char>(bytes.begin(), bytes.end())), NSPropertyListImmutable, nullptr,
        nullptr);
}

std::string xmlOf(const NSObject& object) {
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        object, NSPropertyListXMLFormat_v1_0, nullptr);
    return std::string(data.bytes().begin(), data.bytes().end());
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
    NSArray wake;
    for (const AutoWakeEntry& entry : entries) {
        NSDictionary element;
        element.setObjectForKey(NSDate::dateWithTimeIntervalSinceReferenceDate(entry.time), "time");
        element.setObjectForKey(entry.scheduledBy, "scheduledby");
        wake.addObject(element);
    }
    NSDictionary top;
    top.setObjectForKey(wake, "wake");
    writeAutoWakeFile(xmlOf(top));
}

std::vector<AutoWakeEntry> TestPlatform::autoWakeEntries() const {
    std::vector<AutoWakeEntry> entries;
    const auto top = NSDynamicCast<NSDictionary>(parse(readFile(kAutoWakePath)));
    const auto wake = top ? NSDynamicCast<NSArray>(top->objectForKey("wake")) : std::nullopt;
    for (NSUInteger i = 0; wake && i < wake->count(); ++i) {
        const auto element = NSDynamicCast<NSDictionary>(wake->objectAtIndex(i));
        if (!element) continue;
        AutoWakeEntry entry;
        if (auto date = NSDynamicCast<NSDate>(element->objectForKey("time")))
            entry.time = date->timeIntervalSinceReferenceDate();
        entry.scheduledBy =
            NSDynamicCast<NSString>(element->objectForKey("scheduledby")).value_or("");
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
    if (exists && !NSDynamicCast<NSDictionary>(parse(readFile(kAutoWakePath)))) return;
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
    const std::vector<char> xml = base::plistToXml(settings);
    writeSettingsFile(std::string(xml.begin(), xml.end()));
}

std::unique_ptr<PList::Dictionary> TestPlatform::readDictionary(
    const std::string& devicePath) const {
    const std::string bytes = readFile(devicePath);
    auto plist = base::parsePlist(std::vector<char>(bytes.begin(), bytes.end()), nullptr);
    if (!plist || plist->GetType() != PLIST_DICT) return nullptr;
    return std::unique_ptr<PList::Dictionary>(static_cast<PList::Dictionary*>(plist.release()));
}

std::optional<NSNumber> settingNumber(const PList::Dictionary& settings, const std::string& key) {
    const PList::Node* node = base::nodeAt(settings, key);
    switch (node ? node->GetType() : PLIST_NONE) {
        case PLIST_BOOLEAN:
            return NSNumber::numberWithBool(static_cast<const PList::Boolean*>(node)->GetValue());
        case PLIST_UINT:
            return NSNumber::numberWithInteger(
                static_cast<NSInteger>(static_cast<const PList::Integer*>(node)->GetValue()));
        case PLIST_REAL:
            return NSNumber::numberWithDouble(static_cast<const PList::Real*>(node)->GetValue());
        default:
            return std::nullopt;
    }
}

std::optional<bool> settingBoolean(const PList::Dictionary& settings, const std::string& key) {
    const auto number = settingNumber(settings, key);
    if (!number || !number->isBoolean()) return std::nullopt;
    return number->boolValue();
}

std::optional<long long> settingInteger(const PList::Dictionary& settings, const std::string& key) {
    const auto number = settingNumber(settings, key);
    if (!number || *number->objCType() != 'q') return std::nullopt;
    return number->integerValue();
}

void TestPlatform::installSpringBoardServices(const std::string& hostLibraryPath) {
    const std::filesystem::path link = hostPathOf(kSpringBoardServicesPath);
    std::filesystem::create_directories(link.parent_path());
    std::error_code ignored;
    std::filesystem::remove(link, ignored);
    std::filesystem::create_symlink(std::filesystem::absolute(hostLibraryPath), link);
}

}  // namespace platform::testing
