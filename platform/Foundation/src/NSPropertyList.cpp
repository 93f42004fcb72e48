#include <Foundation/Foundation.h>
#include <backend/Backend.h>
#include <backend/Probes.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {
template <class T>
constexpr plist_type kTypeOf = PLIST_NONE;
template <>
constexpr plist_type kTypeOf<PList::Dictionary> = PLIST_DICT;
template <>
constexpr plist_type kTypeOf<PList::Array> = PLIST_ARRAY;
template <>
constexpr plist_type kTypeOf<PList::String> = PLIST_STRING;
template <>
constexpr plist_type kTypeOf<PList::Date> = PLIST_DATE;
template <>
constexpr plist_type kTypeOf<PList::Integer> = PLIST_UINT;
template <>
constexpr plist_type kTypeOf<PList::Boolean> = PLIST_BOOLEAN;
template <>
constexpr plist_type kTypeOf<PList::Real> = PLIST_REAL;
template <>
constexpr plist_type kTypeOf<PList::Data> = PLIST_DATA;
// libplist++ 2.2 loses the element wrappers of every non-empty array it wraps (they go into a
// copy of the element list), so each parse of a list would leak a little for good. Wrap a copy
// whose arrays are empty instead, then give each wrapped array its elements through the C
// interface, which is all NSArrayCount and NSArrayObjectAtIndex read.
plist_t copyWithEmptyArrays(plist_t node, std::vector<std::pair<plist_t, plist_t>>& arrays) {
    switch (plist_get_node_type(node)) {
        case PLIST_ARRAY: {
            plist_t empty = plist_new_array();
            arrays.emplace_back(empty, node);
            return empty;
        }
        case PLIST_DICT: {
            plist_t dict = plist_new_dict();
            plist_dict_iter it = nullptr;
            plist_dict_new_iter(node, &it);
            for (;;) {
                char* key = nullptr;
                plist_t value = nullptr;
                plist_dict_next_item(node, it, &key, &value);
                if (!value) {
                    std::free(key);
                    break;
                }
                plist_dict_set_item(dict, key, copyWithEmptyArrays(value, arrays));
                std::free(key);
            }
            std::free(it);
            return dict;
        }
        default:
            return plist_copy(node);
    }
}

// Takes ownership of `root`.
std::unique_ptr<PList::Node> wrap(plist_t root) {
    std::vector<std::pair<plist_t, plist_t>> arrays;  // (empty copy, original)
    plist_t skeleton = copyWithEmptyArrays(root, arrays);
    std::unique_ptr<PList::Node> wrapped(PList::Node::FromPlist(skeleton));
    for (const auto& [copy, original] : arrays)
        for (uint32_t i = 0; i < plist_array_get_size(original); ++i)
            plist_array_append_item(copy, plist_copy(plist_array_get_item(original, i)));
    plist_free(root);
    return wrapped;
}

}  // namespace

template <class T>
T* NSDynamicCast(PList::Node* object) {
    if (!object || object->GetType() != kTypeOf<T>) return nullptr;
    return static_cast<T*>(object);
}
template PList::Dictionary* NSDynamicCast<PList::Dictionary>(PList::Node*);
template PList::Array* NSDynamicCast<PList::Array>(PList::Node*);
template PList::String* NSDynamicCast<PList::String>(PList::Node*);
template PList::Date* NSDynamicCast<PList::Date>(PList::Node*);
template PList::Integer* NSDynamicCast<PList::Integer>(PList::Node*);
template PList::Boolean* NSDynamicCast<PList::Boolean>(PList::Node*);
template PList::Real* NSDynamicCast<PList::Real>(PList::Node*);
template PList::Data* NSDynamicCast<PList::Data>(PList::Node*);

NSUInteger NSArrayCount(const NSArray& array) { return plist_array_get_size(array.GetPlist()); }

std::unique_ptr<NSObject> NSArrayObjectAtIndex(const NSArray& array, NSUInteger index) {
    if (index >= NSArrayCount(array)) return nullptr;
    plist_t item = plist_array_get_item(array.GetPlist(), static_cast<uint32_t>(index));
    if (!item) return nullptr;
    return wrap(plist_copy(item));
}

// ---------------------------------------------------------------- NSNumber

std::optional<NSNumber> NSNumber::fromPropertyList(const PList::Node* object) {
    if (!object) return std::nullopt;
    plist_t node = object->GetPlist();
    switch (object->GetType()) {
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return NSNumber(value != 0);
        }
        case PLIST_UINT: {
            uint64_t value = 0;
            plist_get_uint_val(node, &value);
            return NSNumber(static_cast<long long>(value));  // libplist keeps signed values so
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return NSNumber(value);
        }
        default:
            return std::nullopt;
    }
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

std::unique_ptr<PList::Node> NSNumber::propertyListValue() const {
    if (auto* b = std::get_if<bool>(&value_)) return std::make_unique<PList::Boolean>(*b);
    if (auto* i = std::get_if<long long>(&value_))
        return std::make_unique<PList::Integer>(static_cast<uint64_t>(*i));
    return std::make_unique<PList::Real>(std::get<double>(value_));
}

// ---------------------------------------------------------------- NSData

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

std::unique_ptr<PList::Node>
NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
    const std::optional<NSData>& data, NSPropertyListMutabilityOptions,
    NSPropertyListFormat* format, NSString* errorString) {
    auto fail = [&](const char* why) -> std::unique_ptr<PList::Node> {
        if (errorString) *errorString = why;
        return nullptr;
    };
    if (!data) return fail("no data");
    const std::vector<char>& bytes = data->bytes();
    if (bytes.empty()) return fail("empty data");
    if (bytes.size() > UINT32_MAX) return fail("data too large");
    const auto length = static_cast<uint32_t>(bytes.size());
    const bool binary = plist_is_binary(bytes.data(), length) != 0;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), length, &root);
    if (!root) return fail("not a property list");
    if (binary) {
        // libplist's binary reader accepts dictionary keys holding NUL bytes, and every later
        // read of such a key aborts the process. Its XML writer ends each key at the NUL, so a
        // trip through XML leaves only keys that are safe to read.
        char* xml = nullptr;
        uint32_t xmlLength = 0;
        plist_to_xml(root, &xml, &xmlLength);
        plist_free(root);
        root = nullptr;
        if (xml) plist_from_xml(xml, xmlLength, &root);
        plist_to_xml_free(xml);
        if (!root) return fail("not a property list");
    }
    if (format) *format = binary ? NSPropertyListBinaryFormat_v1_0 : NSPropertyListXMLFormat_v1_0;
    return wrap(root);
}

NSData NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
    const PList::Node& plist, NSPropertyListFormat format, NSString*) {
    char* out = nullptr;
    uint32_t length = 0;
    const bool binary = format == NSPropertyListBinaryFormat_v1_0;
    if (binary)
        plist_to_bin(plist.GetPlist(), &out, &length);
    else
        plist_to_xml(plist.GetPlist(), &out, &length);
    std::vector<char> bytes(out, out + length);
    if (binary)
        plist_to_bin_free(out);
    else
        plist_to_xml_free(out);
    return NSData(std::move(bytes));
}
