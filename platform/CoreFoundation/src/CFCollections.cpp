// Property-list values as counted objects. Every counted kind shares one base, so CFRetain and
// CFRelease need not know what they hold; the live ones are listed, which is how a string (plain
// text, not counted) is told from them.
#include <CoreFoundation/CoreFoundation.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace {

enum TypeID : CFTypeID { kString = 7, kArray = 19, kDictionary = 18, kNumber = 22, kBoolean = 21 };

struct CountedObject {
    explicit CountedObject(CFTypeID type);
    virtual ~CountedObject();
    const CFTypeID type;
    long references = 1;
};

std::mutex& liveMutex() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}
std::set<const void*>& live() {
    static auto* objects = new std::set<const void*>;  // never destroyed: objects may outlive main
    return *objects;
}

CountedObject::CountedObject(CFTypeID type) : type(type) {
    std::lock_guard lock(liveMutex());
    live().insert(this);
}
CountedObject::~CountedObject() {
    std::lock_guard lock(liveMutex());
    live().erase(this);
}

const CountedObject* counted(CFTypeRef cf) {
    std::lock_guard lock(liveMutex());
    return live().count(cf) ? static_cast<const CountedObject*>(cf) : nullptr;
}

// A value a collection holds: counted ones retained, strings as their text.
CFTypeRef hold(CFTypeRef value) { return counted(value) ? CFRetain(value) : value; }

}  // namespace

struct __CFArray : CountedObject {
    __CFArray() : CountedObject(kArray) {}
    ~__CFArray() override {
        for (CFTypeRef value : values) CFRelease(value);
    }
    std::vector<CFTypeRef> values;
};

struct __CFDictionary : CountedObject {
    __CFDictionary() : CountedObject(kDictionary) {}
    ~__CFDictionary() override {
        for (auto& [key, value] : values) CFRelease(value);
    }
    std::map<std::string, CFTypeRef> values;
};

struct __CFNumber : CountedObject {
    explicit __CFNumber(std::variant<int64_t, double> v) : CountedObject(kNumber), value(v) {}
    std::variant<int64_t, double> value;
};

struct __CFBoolean : CountedObject {
    explicit __CFBoolean(bool v) : CountedObject(kBoolean), value(v) {}
    const bool value;
};

namespace {
// The two booleans are never freed, whatever their count says.
const __CFBoolean* const kTrue = new __CFBoolean(true);
const __CFBoolean* const kFalse = new __CFBoolean(false);
bool isConstant(const CountedObject* object) { return object == kTrue || object == kFalse; }
}  // namespace

const CFBooleanRef kCFBooleanTrue = kTrue;
const CFBooleanRef kCFBooleanFalse = kFalse;
const CFArrayCallBacks kCFTypeArrayCallBacks{0};
const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks{0};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks{0};

CFTypeRef CFRetain(CFTypeRef cf) {
    if (const CountedObject* object = counted(cf)) ++const_cast<CountedObject*>(object)->references;
    return cf;
}

void CFRelease(CFTypeRef cf) {
    const CountedObject* object = counted(cf);
    if (!object || isConstant(object)) return;
    if (--const_cast<CountedObject*>(object)->references == 0) delete object;
}

CFTypeID CFGetTypeID(CFTypeRef cf) {
    const CountedObject* object = counted(cf);
    return object ? object->type : kString;
}
CFTypeID CFArrayGetTypeID() { return kArray; }
CFTypeID CFDictionaryGetTypeID() { return kDictionary; }
CFTypeID CFNumberGetTypeID() { return kNumber; }
CFTypeID CFBooleanGetTypeID() { return kBoolean; }
CFTypeID CFStringGetTypeID() { return kString; }

Boolean CFEqual(CFTypeRef a, CFTypeRef b) {
    if (a == b) return true;
    if (!a || !b || CFGetTypeID(a) != CFGetTypeID(b)) return false;
    switch (CFGetTypeID(a)) {
        case kString:
            return std::strcmp(static_cast<const char*>(a), static_cast<const char*>(b)) == 0;
        case kNumber: {
            double x = 0, y = 0;
            CFNumberGetValue(static_cast<CFNumberRef>(a), kCFNumberDoubleType, &x);
            CFNumberGetValue(static_cast<CFNumberRef>(b), kCFNumberDoubleType, &y);
            return x == y;
        }
        default:
            return false;  // collections by identity only; booleans are the two constants
    }
}

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues,
                         const CFArrayCallBacks*) {
    auto* array = new __CFArray;
    for (CFIndex i = 0; values && i < numValues; ++i) array->values.push_back(hold(values[i]));
    return array;
}

CFIndex CFArrayGetCount(CFArrayRef array) {
    return array ? static_cast<CFIndex>(array->values.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index) {
    if (!array || index < 0 || index >= CFArrayGetCount(array)) return nullptr;
    return array->values[static_cast<size_t>(index)];
}

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks*,
                                   const CFDictionaryValueCallBacks*) {
    auto* dict = new __CFDictionary;
    for (CFIndex i = 0; keys && values && i < numValues; ++i) {
        if (!keys[i]) continue;
        CFTypeRef& slot = dict->values[static_cast<const char*>(keys[i])];
        CFRelease(slot);  // a key given twice keeps its last value
        slot = hold(values[i]);
    }
    return dict;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dict) {
    return dict ? static_cast<CFIndex>(dict->values.size()) : 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef dict, const void* key) {
    if (!dict || !key) return nullptr;
    auto it = dict->values.find(static_cast<const char*>(key));
    return it == dict->values.end() ? nullptr : it->second;
}

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void* valuePtr) {
    if (!valuePtr) return nullptr;
    switch (theType) {
        case kCFNumberSInt32Type:
        case kCFNumberIntType:
            return new __CFNumber(int64_t{*static_cast<const int32_t*>(valuePtr)});
        case kCFNumberSInt64Type:
            return new __CFNumber(*static_cast<const int64_t*>(valuePtr));
        case kCFNumberDoubleType:
            return new __CFNumber(*static_cast<const double*>(valuePtr));
    }
    return nullptr;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr) {
    if (!number || !valuePtr || CFGetTypeID(number) != kNumber) return false;
    const double asDouble =
        std::visit([](auto v) { return static_cast<double>(v); }, number->value);
    switch (theType) {
        case kCFNumberDoubleType:
            *static_cast<double*>(valuePtr) = asDouble;
            return true;
        case kCFNumberSInt64Type: {
            const auto* whole = std::get_if<int64_t>(&number->value);
            const int64_t v = whole ? *whole : static_cast<int64_t>(asDouble);
            *static_cast<int64_t*>(valuePtr) = v;
            return whole != nullptr || std::trunc(asDouble) == asDouble;
        }
        case kCFNumberSInt32Type:
        case kCFNumberIntType: {
            const auto* whole = std::get_if<int64_t>(&number->value);
            const bool fits = whole ? (*whole >= INT32_MIN && *whole <= INT32_MAX)
                                    : (std::trunc(asDouble) == asDouble && asDouble >= INT32_MIN &&
                                       asDouble <= INT32_MAX);
            *static_cast<int32_t*>(valuePtr) =
                fits ? static_cast<int32_t>(whole ? *whole : static_cast<int64_t>(asDouble)) : 0;
            return fits;
        }
    }
    return false;
}

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
    return boolean && CFGetTypeID(boolean) == kBoolean && boolean->value;
}
