// Foundation, as much of it as Vigilant uses. Objective-C objects become C++ values:
// NSString is std::string, NSDate and NSNumber are small value types, and property-list
// collections are libplist's nodes (NSDictionary, NSArray). Ownership follows C++ rules
// instead of reference counting.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <plist/plist++.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

using BOOL = bool;
inline constexpr BOOL YES = true;
inline constexpr BOOL NO = false;
using NSInteger = long;
using NSUInteger = unsigned long;
using NSTimeInterval = double;
using NSString = std::string;

// Property-list objects.
using NSObject = PList::Node;
using NSDictionary = PList::Dictionary;
using NSArray = PList::Array;

// The object as T when it is one (a dictionary, array, string, date, number...), else null:
// the counterpart of testing -isKindOfClass: before using an object from a property list.
template <class T>
T* NSDynamicCast(PList::Node* object);
template <class T>
const T* NSDynamicCast(const PList::Node* object) {
    return NSDynamicCast<T>(const_cast<PList::Node*>(object));
}

// The number of elements of a property-list array, and a copy of the element at `index` (null
// past the end). Use these instead of PList::Array's operator[]: libplist++ 2.2 leaves its
// element list empty for every array that was parsed or copied, and operator[] then throws.
NSUInteger NSArrayCount(const NSArray& array);
std::unique_ptr<NSObject> NSArrayObjectAtIndex(const NSArray& array, NSUInteger index);

// ---------------------------------------------------------------- dates and the calendar
class NSDate {
  public:
    static NSDate date();
    static NSDate dateWithTimeIntervalSinceNow(NSTimeInterval seconds);
    static NSDate dateWithTimeIntervalSince1970(NSTimeInterval seconds);
    static NSDate dateWithTimeIntervalSinceReferenceDate(NSTimeInterval seconds);
    // A property-list date; null when the object is none.
    static std::optional<NSDate> fromPropertyList(const PList::Node* object);

    NSTimeInterval timeIntervalSince1970() const;
    NSTimeInterval timeIntervalSinceReferenceDate() const { return sinceReferenceDate_; }
    NSTimeInterval timeIntervalSinceDate(const NSDate& other) const;
    NSDate dateByAddingTimeInterval(NSTimeInterval seconds) const;
    PList::Date propertyListValue() const;
    // "YYYY-MM-DD HH:MM:SS" in the device's local time (for logs and tests).
    NSString description() const;
    bool operator==(const NSDate&) const = default;
    auto operator<=>(const NSDate&) const = default;

  private:
    explicit NSDate(NSTimeInterval sinceReferenceDate) : sinceReferenceDate_(sinceReferenceDate) {}
    NSTimeInterval sinceReferenceDate_;
};

enum NSCalendarUnit : NSUInteger {
    NSYearCalendarUnit = 4,
    NSMonthCalendarUnit = 8,
    NSDayCalendarUnit = 16,
    NSHourCalendarUnit = 32,
    NSMinuteCalendarUnit = 64,
    NSSecondCalendarUnit = 128,
};

struct NSDateComponents {
    NSInteger year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The device keeps its wall clock in one zone; the current calendar is the Gregorian one.
class NSCalendar {
  public:
    static NSCalendar& currentCalendar();
    NSDateComponents componentsFromDate(NSUInteger unitFlags, const NSDate& date) const;
    NSDate dateFromComponents(const NSDateComponents& components) const;
};

// ---------------------------------------------------------------- timers
class NSTimer {
  public:
    using Action = std::function<void(NSTimer*)>;

    // A timer on the current thread's run loop in the default mode. The run loop owns it; it
    // stays valid until it is invalidated (a non-repeating timer invalidates itself on firing).
    template <class Target>
    static NSTimer* scheduledTimerWithTimeIntervalTargetSelectorUserInfoRepeats(
        NSTimeInterval interval, Target* target, void (Target::*selector)(NSTimer*), void* userInfo,
        BOOL repeats) {
        return scheduledTimerWithTimeInterval(
            interval, [target, selector](NSTimer* timer) { (target->*selector)(timer); }, userInfo,
            repeats);
    }
    static NSTimer* scheduledTimerWithTimeInterval(NSTimeInterval interval, Action action,
                                                   void* userInfo, BOOL repeats);

    void fire();
    void invalidate();
    BOOL isValid() const { return valid_; }
    NSDate fireDate() const { return NSDate::dateWithTimeIntervalSinceReferenceDate(fireTime_); }
    NSTimeInterval timeInterval() const { return interval_; }
    void* userInfo() const { return userInfo_; }

    // Run-loop bookkeeping.
    CFAbsoluteTime nextFireTime() const { return fireTime_; }
    void advancePast(CFAbsoluteTime now);

  private:
    NSTimer(NSTimeInterval interval, Action action, void* userInfo, BOOL repeats);
    friend struct __CFRunLoop;
    NSTimeInterval interval_;
    Action action_;
    void* userInfo_;
    BOOL repeats_;
    BOOL valid_ = YES;
    CFAbsoluteTime fireTime_ = 0;
};

// ---------------------------------------------------------------- numbers
class NSNumber {
  public:
    static NSNumber numberWithInt(int value) { return NSNumber(static_cast<long long>(value)); }
    static NSNumber numberWithInteger(NSInteger value) {
        return NSNumber(static_cast<long long>(value));
    }
    static NSNumber numberWithBool(BOOL value) { return NSNumber(value); }
    static NSNumber numberWithDouble(double value) { return NSNumber(value); }
    // A property-list number (integer, real or boolean); null for any other object.
    static std::optional<NSNumber> fromPropertyList(const PList::Node* object);

    int intValue() const { return static_cast<int>(integerValue()); }
    NSInteger integerValue() const;
    BOOL boolValue() const;
    double doubleValue() const;
    bool isBoolean() const { return std::holds_alternative<bool>(value_); }
    std::unique_ptr<PList::Node> propertyListValue() const;
    bool operator==(const NSNumber&) const = default;

  private:
    explicit NSNumber(std::variant<bool, long long, double> value) : value_(value) {}
    std::variant<bool, long long, double> value_;
};

// ---------------------------------------------------------------- data and property lists
class NSData {
  public:
    // Null when the file is missing or cannot be read. `path` is a device path.
    static std::optional<NSData> dataWithContentsOfFile(const NSString& path);
    explicit NSData(std::vector<char> bytes) : bytes_(std::move(bytes)) {}
    const std::vector<char>& bytes() const { return bytes_; }
    NSUInteger length() const { return bytes_.size(); }

  private:
    std::vector<char> bytes_;
};

enum NSPropertyListMutabilityOptions : NSUInteger {
    NSPropertyListImmutable = 0,
    NSPropertyListMutableContainers = 1,
    NSPropertyListMutableContainersAndLeaves = 2,
};
enum NSPropertyListFormat : NSUInteger {
    NSPropertyListOpenStepFormat = 1,
    NSPropertyListXMLFormat_v1_0 = 100,
    NSPropertyListBinaryFormat_v1_0 = 200,
};

class NSPropertyListSerialization {
  public:
    // The parsed property list (XML or binary), or null when the data is none or no property
    // list. `format` and `errorString` may be null.
    static std::unique_ptr<PList::Node> propertyListFromDataMutabilityOptionFormatErrorDescription(
        const std::optional<NSData>& data, NSPropertyListMutabilityOptions option,
        NSPropertyListFormat* format, NSString* errorString);
    static NSData dataFromPropertyListFormatErrorDescription(const PList::Node& plist,
                                                             NSPropertyListFormat format,
                                                             NSString* errorString);
};

// ---------------------------------------------------------------- user defaults
// The preferences of the main bundle's domain, kept as a property-list file in the
// Library/Preferences folder of the device user's home. Loaded once per process.
class NSUserDefaults {
  public:
    static NSUserDefaults& standardUserDefaults();

    // A volatile layer answered for absent keys; never written to the file.
    void registerDefaults(const NSDictionary& registrationDictionary);

    // The stored (or registered) object, or null.
    std::unique_ptr<PList::Node> objectForKey(const NSString& key) const;
    // Numbers (integers, reals and booleans) convert to the type asked for. A key that holds
    // no number (a string, a date, data, a collection) reads as if it were absent: the
    // registered default when there is one, else 0 or NO. A corrupt value thus never turns
    // into a surprising setting.
    NSInteger integerForKey(const NSString& key) const;
    BOOL boolForKey(const NSString& key) const;
    NSString stringForKey(const NSString& key) const;

    void setObjectForKey(const NSNumber& value, const NSString& key);
    void setObjectForKey(const PList::Node& value, const NSString& key);
    void setBoolForKey(BOOL value, const NSString& key);
    void setIntegerForKey(NSInteger value, const NSString& key);
    void removeObjectForKey(const NSString& key);

    // Writes the whole domain to its file atomically (temporary file, flush, rename): a reader
    // sees the old file or the new one, never a part. YES when the file was written.
    BOOL synchronize();

    // The device path of this domain's file.
    NSString filePath() const;
    // Test support: forget the loaded domain so the next use loads the file afresh. The
    // registered defaults belong to the process, not to the file: keep them on request, as a
    // process that registered once (a singleton) expects them to stay in force.
    static void resetStandardUserDefaults(bool keepRegisteredDefaults = false);

    NSUserDefaults();
    ~NSUserDefaults();
    NSUserDefaults(const NSUserDefaults&) = delete;
    NSUserDefaults& operator=(const NSUserDefaults&) = delete;

  private:
    const PList::Node* lookup(const NSString& key) const;
    NSString domain_;
    std::unique_ptr<PList::Dictionary> values_;
    std::unique_ptr<PList::Dictionary> registered_;
};

// ---------------------------------------------------------------- bundles and the process
class NSBundle {
  public:
    static NSBundle& mainBundle();
    // String values of the information dictionary (Info.plist); null when absent or no string.
    std::optional<NSString> objectForInfoDictionaryKey(const NSString& key) const;
    const NSDictionary* infoDictionary() const { return info_.get(); }
    // The localized dictionary (InfoPlist.strings of the language in use), null when none.
    const NSDictionary* localizedInfoDictionary() const { return localizedInfo_.get(); }
    std::optional<NSString> bundleIdentifier() const;
    // Device paths.
    NSString bundlePath() const { return bundlePath_; }
    NSString resourcePath() const { return bundlePath_; }
    NSString executablePath() const;

    // Test support: a bundle at `bundlePath` (a device path) with the given dictionaries.
    static void setMainBundle(NSString bundlePath, std::unique_ptr<NSDictionary> info,
                              std::unique_ptr<NSDictionary> localizedInfo);
    // Test support: forget the main bundle so the next use loads it from the backend afresh.
    static void resetMainBundle();

  private:
    NSString bundlePath_;
    std::unique_ptr<NSDictionary> info_;
    std::unique_ptr<NSDictionary> localizedInfo_;
};

class NSProcessInfo {
  public:
    static NSProcessInfo& processInfo();
    NSString processName() const;
    int processIdentifier() const;
};

// Writes a line to the device's system log.
void NSLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
