// Foundation, as much of it as Vigilant uses. Objective-C objects become C++ values:
// NSString is std::string, NSDate, NSNumber and NSData are small value types, NSArray and
// NSDictionary hold NSObjects (any property-list object). Ownership follows C++ rules instead
// of reference counting.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <functional>
#include <map>
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

class NSNumber;
class NSDate;
class NSData;
class NSArray;
class NSDictionary;

// ---------------------------------------------------------------- objects
// A property-list object (a string, number, date, data, array or dictionary) or nil. Objects
// are immutable values: copies share their contents, and a collection changes only through its
// own non-const calls, never through an object that was read from it.
class NSObject {
  public:
    NSObject() = default;  // nil
    NSObject(NSString string);
    NSObject(const char* string);
    NSObject(NSNumber number);
    NSObject(NSDate date);
    NSObject(NSData data);
    NSObject(NSArray array);
    NSObject(NSDictionary dictionary);

    // NO for nil.
    explicit operator bool() const { return value_ != nullptr; }
    // -isEqual: of the contents (nil equals only nil).
    bool operator==(const NSObject& other) const;

  private:
    struct Value;
    friend struct NSObjectAccess;
    std::shared_ptr<const Value> value_;
};

// The object as T when it is one (NSString, NSNumber, NSDate, NSData, NSArray, NSDictionary),
// else none: the counterpart of testing -isKindOfClass: before using an object from a
// property list. Integers, reals and booleans are all NSNumbers.
template <class T>
std::optional<T> NSDynamicCast(const NSObject& object);

// ---------------------------------------------------------------- dates
class NSDate {
  public:
    static NSDate date();
    static NSDate dateWithTimeIntervalSinceNow(NSTimeInterval seconds);
    static NSDate dateWithTimeIntervalSince1970(NSTimeInterval seconds);
    static NSDate dateWithTimeIntervalSinceReferenceDate(NSTimeInterval seconds);
    NSTimeInterval timeIntervalSince1970() const;
    NSTimeInterval timeIntervalSinceReferenceDate() const { return sinceReferenceDate_; }
    NSTimeInterval timeIntervalSinceDate(const NSDate& other) const;
    NSDate dateByAddingTimeInterval(NSTimeInterval seconds) const;
    // "YYYY-MM-DD HH:MM:SS" in the default time zone (for logs and tests).
    NSString description() const;
    bool operator==(const NSDate&) const = default;
    auto operator<=>(const NSDate&) const = default;

  private:
    explicit NSDate(NSTimeInterval sinceReferenceDate) : sinceReferenceDate_(sinceReferenceDate) {}
    NSTimeInterval sinceReferenceDate_;
};

// ---------------------------------------------------------------- time zones
// A zone of the tz database ("Europe/Berlin"), with its daylight-saving rules. The system
// zone is the device's, looked up once and then kept, as on the platform: a process that must
// follow the owner's (or the network's) changes calls resetSystemTimeZone when
// com.apple.system.timezone is posted.
class NSTimeZone {
  public:
    static NSTimeZone systemTimeZone();
    static void resetSystemTimeZone();
    // The zone the current calendar and dates' descriptions use: the system zone.
    static NSTimeZone defaultTimeZone();
    // Null for a name that is no zone of the database.
    static std::optional<NSTimeZone> timeZoneWithName(const NSString& name);

    NSString name() const;
    // Seconds east of UTC at `date`, daylight saving included.
    NSInteger secondsFromGMTForDate(const NSDate& date) const;
    NSInteger secondsFromGMT() const;
    BOOL isDaylightSavingTimeForDate(const NSDate& date) const;
    // The next moment after `date` at which the zone's offset changes; null when none comes.
    std::optional<NSDate> nextDaylightSavingTimeTransitionAfterDate(const NSDate& date) const;
    bool operator==(const NSTimeZone& other) const { return name() == other.name(); }

  private:
    struct Zone;
    friend class NSCalendar;
    explicit NSTimeZone(std::shared_ptr<const Zone> zone) : zone_(std::move(zone)) {}
    std::shared_ptr<const Zone> zone_;
};

// ---------------------------------------------------------------- the calendar
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

// The Gregorian calendar in a time zone.
class NSCalendar {
  public:
    // The calendar in the default time zone as it is now.
    static NSCalendar currentCalendar();
    NSTimeZone timeZone() const { return zone_; }
    void setTimeZone(const NSTimeZone& zone) { zone_ = zone; }

    // The wall clock of the calendar's zone at `date`.
    NSDateComponents componentsFromDate(NSUInteger unitFlags, const NSDate& date) const;
    // The moment at which the zone's wall clock shows the components. Fields beyond their
    // range carry over (minute 90 is 1:30). A wall time the zone skips (the hour spring
    // leaves out) is moved on by the skipped time, 02:30 becoming 03:30; one it repeats (the
    // hour autumn shows twice) is its first occurrence.
    NSDate dateFromComponents(const NSDateComponents& components) const;

  private:
    explicit NSCalendar(NSTimeZone zone) : zone_(std::move(zone)) {}
    NSTimeZone zone_;
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
    // The next firing on the wall clock; timers count elapsed time.
    NSDate fireDate() const;
    NSTimeInterval timeInterval() const { return interval_; }
    void* userInfo() const { return userInfo_; }

    // Run-loop bookkeeping, in elapsed time.
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

    int intValue() const { return static_cast<int>(integerValue()); }
    NSInteger integerValue() const;
    BOOL boolValue() const;
    double doubleValue() const;
    bool isBoolean() const { return std::holds_alternative<bool>(value_); }
    // The kind of value held, in the encoding of its C type: "c" (BOOL), "q" (an integer) or
    // "d" (a real).
    const char* objCType() const;
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
    // Writes the bytes to the file at the device path `path`. Atomically or not, a reader sees
    // the old file or the new one whole: the write always goes through a temporary file and a
    // rename. YES when the file was written.
    BOOL writeToFileAtomically(const NSString& path, BOOL atomically) const;
    explicit NSData(std::vector<char> bytes) : bytes_(std::move(bytes)) {}
    const std::vector<char>& bytes() const { return bytes_; }
    NSUInteger length() const { return bytes_.size(); }
    bool operator==(const NSData&) const = default;

  private:
    std::vector<char> bytes_;
};

// ---------------------------------------------------------------- collections
class NSArray {
  public:
    NSUInteger count() const { return objects_.size(); }
    // Nil past the end.
    NSObject objectAtIndex(NSUInteger index) const;
    // Nil is not added: an array holds objects only.
    void addObject(const NSObject& object);
    bool operator==(const NSArray&) const = default;

  private:
    std::vector<NSObject> objects_;
};

// Keys are strings, as in every property list; they are kept (and written) in sorted order.
class NSDictionary {
  public:
    NSUInteger count() const { return objects_.size(); }
    // Nil when the key is absent.
    NSObject objectForKey(const NSString& key) const;
    std::vector<NSString> allKeys() const;
    // Setting nil removes the key.
    void setObjectForKey(const NSObject& object, const NSString& key);
    void removeObjectForKey(const NSString& key);
    bool operator==(const NSDictionary&) const = default;

  private:
    std::map<NSString, NSObject> objects_;
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
    // The parsed property list (XML or binary), or nil when the data is none or no property
    // list. `format` and `errorString` may be null.
    static NSObject propertyListFromDataMutabilityOptionFormatErrorDescription(
        const std::optional<NSData>& data, NSPropertyListMutabilityOptions option,
        NSPropertyListFormat* format, NSString* errorString);
    // Empty data (and `errorString`) for nil, which is no property list.
    static NSData dataFromPropertyListFormatErrorDescription(const NSObject& plist,
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

    // The stored (or registered) object, or nil.
    NSObject objectForKey(const NSString& key) const;
    // Numbers (integers, reals and booleans) convert to the type asked for. A key that holds
    // no number (a string, a date, data, a collection) reads as if it were absent: the
    // registered default when there is one, else 0 or NO. A corrupt value thus never turns
    // into a surprising setting.
    NSInteger integerForKey(const NSString& key) const;
    BOOL boolForKey(const NSString& key) const;
    NSString stringForKey(const NSString& key) const;

    // Setting nil removes the key.
    void setObjectForKey(const NSObject& value, const NSString& key);
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
    NSObject lookup(const NSString& key) const;
    NSString domain_;
    NSDictionary values_;
    NSDictionary registered_;
};

// ---------------------------------------------------------------- bundles and the process
class NSBundle {
  public:
    static NSBundle& mainBundle();
    // String values of the information dictionary (Info.plist); null when absent or no string.
    std::optional<NSString> objectForInfoDictionaryKey(const NSString& key) const;
    // Null when the bundle has none.
    const NSDictionary* infoDictionary() const { return info_ ? &*info_ : nullptr; }
    // The localized dictionary (InfoPlist.strings of the language in use), null when none.
    const NSDictionary* localizedInfoDictionary() const {
        return localizedInfo_ ? &*localizedInfo_ : nullptr;
    }
    std::optional<NSString> bundleIdentifier() const;
    // Device paths.
    NSString bundlePath() const { return bundlePath_; }
    NSString resourcePath() const { return bundlePath_; }
    NSString executablePath() const;

    // Test support: a bundle at `bundlePath` (a device path) with the given dictionaries.
    static void setMainBundle(NSString bundlePath, std::optional<NSDictionary> info,
                              std::optional<NSDictionary> localizedInfo);
    // Test support: forget the main bundle so the next use loads it from the backend afresh.
    static void resetMainBundle();

  private:
    NSString bundlePath_;
    std::optional<NSDictionary> info_;
    std::optional<NSDictionary> localizedInfo_;
};

class NSProcessInfo {
  public:
    static NSProcessInfo& processInfo();
    NSString processName() const;
    int processIdentifier() const;
};

// Writes a line to the device's system log.
void NSLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
