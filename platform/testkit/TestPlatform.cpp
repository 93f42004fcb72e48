#include "TestPlatform.h"

#include <CoreFoundationInternal.h>
#include <base/PlistFile.h>
#include <wire/DevicePaths.h>

#include <filesystem>
#include <stdexcept>

namespace platform::testing {

namespace {
NSDictionary bundleInfo(const std::string& identifier) {
    NSDictionary info;
    info.setObjectForKey(identifier, "CFBundleIdentifier");
    info.setObjectForKey("VigilantPro", "CFBundleExecutable");
    return info;
}
}  // namespace

TestPlatform::TestPlatform() {
    setTime(kDefaultTime);
    NSTimeZone::resetSystemTimeZone();
    emptyCurrentRunLoop();
    setBundleIdentifier(kDefaultBundleIdentifier);
}

TestPlatform::~TestPlatform() {
    emptyCurrentRunLoop();
    NSUserDefaults::resetStandardUserDefaults(/*keepRegisteredDefaults=*/true);
    NSBundle::resetMainBundle();
    NSTimeZone::resetSystemTimeZone();
}

void TestPlatform::setWallClock(const std::string& utcTime) { process().setWallClock(utcTime); }

void TestPlatform::setTimeZone(const std::string& zone) {
    process().setTimeZone(zone);
    NSTimeZone::resetSystemTimeZone();
}

void TestPlatform::emptyCurrentRunLoop() { platform::resetCoreFoundation(); }

void TestPlatform::setBundleIdentifier(const std::string& identifier) {
    NSBundle::setMainBundle(files().mainBundlePath(), bundleInfo(identifier), std::nullopt);
    NSUserDefaults::resetStandardUserDefaults(/*keepRegisteredDefaults=*/true);
}

void TestPlatform::reloadUserDefaults() {
    NSUserDefaults::resetStandardUserDefaults(/*keepRegisteredDefaults=*/true);
}

void TestPlatform::advance(double seconds) {
    const CFAbsoluteTime target = now() + seconds;
    int stuck = 0;
    while (now() < target) {
        const CFAbsoluteTime before = now();
        const SInt32 result = CFRunLoopRunInMode(kCFRunLoopDefaultMode, target - now(), false);
        if (result == kCFRunLoopRunFinished) break;  // nothing to run: time just passes
        // A source that stays ready without being consumed would hold the clock forever.
        stuck = now() == before ? stuck + 1 : 0;
        if (stuck > 100000) throw std::logic_error("advance: a ready source is never consumed");
    }
    if (now() < target) setAbsoluteTime(target);
}

SInt32 TestPlatform::runOnce() { return CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, true); }

bool TestPlatform::deliverPowerMessage(natural_t type, long argument) {
    if (!power().queueMessage(type, argument)) return false;
    runOnce();
    return true;
}

size_t TestPlatform::postDarwinNotification(const std::string& name) {
    const size_t reached = notify().deliver(name);
    runOnce();
    return reached;
}

std::string TestPlatform::settingsDevicePath() const {
    return std::string(wire::paths::kPreferences) + "/" +
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
