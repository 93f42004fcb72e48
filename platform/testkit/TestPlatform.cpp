#include "TestPlatform.h"

#include <filesystem>
#include <stdexcept>

#include "RunLoopInternals.h"

namespace platform::testing {

namespace {
std::unique_ptr<NSDictionary> bundleInfo(const std::string& identifier) {
    auto info = std::make_unique<NSDictionary>();
    info->Set("CFBundleIdentifier", PList::String(identifier));
    info->Set("CFBundleExecutable", PList::String("VigilantPro"));
    return info;
}

std::unique_ptr<PList::Node> parse(const std::string& bytes) {
    return NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
        NSData(std::vector<char>(bytes.begin(), bytes.end())), NSPropertyListImmutable, nullptr,
        nullptr);
}
}  // namespace

TestPlatform::TestPlatform() {
    setTime(kDefaultTime);
    emptyCurrentRunLoop();
    setBundleIdentifier(kDefaultBundleIdentifier);
}

TestPlatform::~TestPlatform() {
    emptyCurrentRunLoop();
    NSUserDefaults::resetStandardUserDefaults(/*keepRegisteredDefaults=*/true);
    NSBundle::resetMainBundle();
}

void TestPlatform::emptyCurrentRunLoop() {
    CFRunLoopRef loop = CFRunLoopGetCurrent();
    loop->timers.clear();
    loop->sources.clear();
    loop->stopRequested = false;
}

void TestPlatform::setBundleIdentifier(const std::string& identifier) {
    NSBundle::setMainBundle(files().mainBundlePath(), bundleInfo(identifier), nullptr);
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

std::string TestPlatform::settingsDevicePath() const {
    return "/var/root/Library/Preferences/" +
           NSBundle::mainBundle().bundleIdentifier().value_or(kDefaultBundleIdentifier) + ".plist";
}

void TestPlatform::writeSettings(const PList::Dictionary& settings) {
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        settings, NSPropertyListXMLFormat_v1_0, nullptr);
    writeSettingsFile(std::string(data.bytes().begin(), data.bytes().end()));
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
