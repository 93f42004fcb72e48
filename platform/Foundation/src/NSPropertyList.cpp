// Property lists are read and written with libplist's C interface. A parsed list becomes
// Foundation's own objects at once, so no libplist node outlives the call that made it.
#include <Foundation/Foundation.h>
#include <backend/Backend.h>
#include <backend/Probes.h>
#include <base/AtomicFile.h>
#include <base/PlistHandles.h>
#include <plist/plist.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <type_traits>

#include "NSObjectValue.h"

namespace {

// Deeper lists than this are no wake-request list, settings file or filter anyone writes; they
// are refused rather than walked, so a hostile file cannot exhaust the stack.
constexpr int kMaxNesting = 512;

// The date's moment. libplist keeps seconds since the reference date.
NSDate dateOf(plist_t node) {
    int32_t sec = 0, usec = 0;
    plist_get_date_val(node, &sec, &usec);
    return NSDate::dateWithTimeIntervalSinceReferenceDate(sec + usec / 1e6);
}

// None when the list nests too deeply. A kind that Foundation has no object for reads as nil, so
// collections leave it out.
std::optional<NSObject> objectOf(plist_t node, int depth) {
    if (depth > kMaxNesting) return std::nullopt;
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return NSNumber::numberWithBool(value != 0);
        }
        case PLIST_UINT: {
            uint64_t value = 0;
            plist_get_uint_val(node, &value);
            // libplist keeps signed values as their two's complement.
            return NSNumber::numberWithInteger(static_cast<NSInteger>(value));
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return NSNumber::numberWithDouble(value);
        }
        case PLIST_STRING: {
            // Read with its length: a text may hold NUL bytes (a raw one in XML, U+0000 in a
            // binary list), and libplist aborts when such a text is read as a C string.
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            return NSObject(text ? NSString(text, length) : NSString());
        }
        case PLIST_DATE:
            return dateOf(node);
        case PLIST_DATA: {
            base::PlistText value;
            uint64_t length = 0;
            plist_get_data_val(node, value.out(), &length);
            return NSData(value ? std::vector<char>(value.get(), value.get() + length)
                                : std::vector<char>());
        }
        case PLIST_UID: {
            // A keyed archive's reference, in the form the XML format writes it.
            uint64_t value = 0;
            plist_get_uid_val(node, &value);
            NSDictionary reference;
            reference.setObjectForKey(NSNumber::numberWithInteger(static_cast<NSInteger>(value)),
                                      "CF$UID");
            return reference;
        }
        case PLIST_ARRAY: {
            NSArray array;
            const uint32_t count = plist_array_get_size(node);
            for (uint32_t i = 0; i < count; ++i) {
                auto element = objectOf(plist_array_get_item(node, i), depth + 1);
                if (!element) return std::nullopt;
                array.addObject(*element);
            }
            return array;
        }
        case PLIST_DICT: {
            NSDictionary dictionary;
            base::PlistIterator it;
            plist_dict_new_iter(node, it.out());
            for (;;) {
                base::PlistText key;
                plist_t value = nullptr;
                plist_dict_next_item(node, it.get(), key.out(), &value);
                if (!value) return dictionary;
                auto element = objectOf(value, depth + 1);
                if (!element) return std::nullopt;
                if (key) dictionary.setObjectForKey(*element, key.get());
            }
        }
        default:
            return NSObject();
    }
}

plist_t dateNode(const NSDate& date) {
    const double since = date.timeIntervalSinceReferenceDate();
    const double whole = std::isfinite(since) ? std::floor(since) : 0.0;
    const double fraction = std::isfinite(since) ? since - whole : 0.0;
    const auto usec = static_cast<int32_t>(std::lround(fraction * 1e6));
    // libplist keeps 32-bit seconds: moments beyond its range are pinned to its ends.
    const double seconds = std::clamp(whole, double(INT32_MIN), double(INT32_MAX));
    return plist_new_date(static_cast<int32_t>(seconds), usec >= 1000000 ? 999999 : usec);
}

plist_t numberNode(const NSNumber& number) {
    switch (*number.objCType()) {
        case 'c':
            return plist_new_bool(number.boolValue() ? 1 : 0);
        case 'q':
            return plist_new_uint(static_cast<uint64_t>(number.integerValue()));
        default:
            return plist_new_real(number.doubleValue());
    }
}

// A fresh libplist tree of the object; the caller frees it. Null for nil.
plist_t nodeOf(const NSObject& object) {
    const NSObjectAccess::Value* value = NSObjectAccess::value(object);
    if (!value) return nullptr;
    return std::visit(
        [](const auto& held) -> plist_t {
            using T = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<T, NSString>) {
                return plist_new_string(held.c_str());  // libplist ends a text at a NUL byte
            } else if constexpr (std::is_same_v<T, NSNumber>) {
                return numberNode(held);
            } else if constexpr (std::is_same_v<T, NSDate>) {
                return dateNode(held);
            } else if constexpr (std::is_same_v<T, NSData>) {
                return plist_new_data(held.bytes().data(), held.length());
            } else if constexpr (std::is_same_v<T, NSArray>) {
                plist_t array = plist_new_array();
                for (NSUInteger i = 0; i < held.count(); ++i)
                    if (plist_t element = nodeOf(held.objectAtIndex(i)))
                        plist_array_append_item(array, element);
                return array;
            } else {
                plist_t dictionary = plist_new_dict();
                for (const NSString& key : held.allKeys())
                    if (plist_t element = nodeOf(held.objectForKey(key)))
                        plist_dict_set_item(dictionary, key.c_str(), element);
                return dictionary;
            }
        },
        value->kind);
}

}  // namespace

// ---------------------------------------------------------------- NSNumber

const char* NSNumber::objCType() const {
    if (std::holds_alternative<bool>(value_)) return "c";
    if (std::holds_alternative<long long>(value_)) return "q";
    return "d";
}

NSInteger NSNumber::integerValue() const {
    if (auto* b = std::get_if<bool>(&value_)) return *b ? 1 : 0;
    if (auto* i = std::get_if<long long>(&value_)) return static_cast<NSInteger>(*i);
    const double d = std::get<double>(value_);
    if (!(d == d)) return 0;  // NaN
    if (d >= 9.2e18) return static_cast<NSInteger>(9.2e18);
    if (d <= -9.2e18) return static_cast<NSInteger>(-9.2e18);
    return static_cast<NSInteger>(d);
}

BOOL NSNumber::boolValue() const {
    if (auto* b = std::get_if<bool>(&value_)) return *b;
    if (auto* i = std::get_if<long long>(&value_)) return *i != 0;
    return std::get<double>(value_) != 0.0;
}

double NSNumber::doubleValue() const {
    if (auto* b = std::get_if<bool>(&value_)) return *b ? 1.0 : 0.0;
    if (auto* i = std::get_if<long long>(&value_)) return static_cast<double>(*i);
    return std::get<double>(value_);
}

// ---------------------------------------------------------------- NSData

BOOL NSData::writeToFileAtomically(const NSString& path, BOOL) const {
    return base::writeFileAtomically(platform::hostPath(path), bytes_);
}

std::optional<NSData> NSData::dataWithContentsOfFile(const NSString& path) {
    platform::probe::report([&] { return platform::probe::FileRead{path}; });
    std::ifstream in(platform::hostPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    // A read error (the path is a folder, the disk failed) surfaces as an exception from the
    // stream buffer: it means no data, as a missing file does.
    try {
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        if (in.bad()) return std::nullopt;
        return NSData(std::move(bytes));
    } catch (const std::ios_base::failure&) {
        return std::nullopt;
    }
}

// ---------------------------------------------------------------- serialization

NSObject NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
    const std::optional<NSData>& data, NSPropertyListMutabilityOptions,
    NSPropertyListFormat* format, NSString* errorString) {
    auto fail = [&](const char* why) {
        if (errorString) *errorString = why;
        return NSObject();
    };
    if (!data) return fail("no data");
    const std::vector<char>& bytes = data->bytes();
    if (bytes.empty()) return fail("empty data");
    if (bytes.size() > UINT32_MAX) return fail("data too large");
    const auto length = static_cast<uint32_t>(bytes.size());
    const bool binary = plist_is_binary(bytes.data(), length) != 0;
    base::PlistTree root;
    plist_from_memory(bytes.data(), length, root.out());
    if (!root) return fail("not a property list");
    if (binary) {
        // libplist's binary reader accepts dictionary keys holding NUL bytes, and every later
        // read of such a key aborts the process. Its XML writer ends each key at the NUL, so a
        // trip through XML leaves only keys that are safe to read.
        const std::vector<char> xml = base::plistBytes(root.get(), false);
        if (!xml.empty())
            plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), root.out());
        else
            root.reset();
        if (!root) return fail("not a property list");
    }
    const auto object = objectOf(root.get(), 0);
    if (!object) return fail("nested too deeply");
    if (!*object) return fail("not a property list");
    if (format) *format = binary ? NSPropertyListBinaryFormat_v1_0 : NSPropertyListXMLFormat_v1_0;
    return *object;
}

NSData NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
    const NSObject& plist, NSPropertyListFormat format, NSString* errorString) {
    const base::PlistTree root(nodeOf(plist));
    if (!root) {
        if (errorString) *errorString = "no property list";
        return NSData({});
    }
    return NSData(base::plistBytes(root.get(), format == NSPropertyListBinaryFormat_v1_0));
}
