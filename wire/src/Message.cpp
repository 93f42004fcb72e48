#include <base/PlistFile.h>
#include <base/PlistHandles.h>
#include <wire/Message.h>
#include <wire/Wire.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace wire {

std::string opOf(const PList::Dictionary& message) {
    return base::stringAt(message, "op").value_or("");
}

namespace codec {

void set(plist_t dict, const char* key, plist_t item) { plist_dict_set_item(dict, key, item); }

plist_t node(const std::string& value) { return plist_new_string(value.c_str()); }
plist_t node(bool value) { return plist_new_bool(value ? 1 : 0); }
plist_t node(double value) { return plist_new_real(value); }
plist_t unsignedNode(uint64_t value) { return plist_new_uint(value); }

plist_t node(const std::vector<std::string>& value) {
    plist_t array = plist_new_array();
    for (const std::string& item : value) plist_array_append_item(array, node(item));
    return array;
}

namespace {
// Calls `visit(key, item)` for every entry of a dictionary, through the C interface.
template <class Visit>
void forEachEntry(plist_t dict, Visit&& visit) {
    base::PlistIterator iter;
    plist_dict_new_iter(dict, iter.out());
    for (;;) {
        base::PlistText key;
        plist_t item = nullptr;
        plist_dict_next_item(dict, iter.get(), key.out(), &item);
        if (!key) break;
        visit(static_cast<const char*>(key.get()), item);
    }
}
}  // namespace

void putOthers(plist_t dict, const OtherFields& others) {
    if (!others.dict) return;
    forEachEntry(others.dict->GetPlist(), [&](const char* key, plist_t item) {
        // The fields the type names have the last word.
        if (!plist_dict_get_item(dict, key)) set(dict, key, plist_copy(item));
    });
}

bool takeValue(plist_t item, std::string& out) {
    if (!item || plist_get_node_type(item) != PLIST_STRING) return false;
    base::PlistText value;
    plist_get_string_val(item, value.out());
    out = value ? value.get() : "";
    return true;
}

bool takeValue(plist_t item, bool& out) {
    if (!item || plist_get_node_type(item) != PLIST_BOOLEAN) return false;
    uint8_t value = 0;
    plist_get_bool_val(item, &value);
    out = value != 0;
    return true;
}

bool takeValue(plist_t item, double& out) {
    if (!item) return false;
    if (plist_get_node_type(item) == PLIST_REAL) {
        plist_get_real_val(item, &out);
        return true;
    }
    uint64_t value = 0;
    if (!takeUnsigned(item, value)) return false;
    out = static_cast<double>(static_cast<int64_t>(value));
    return true;
}

bool takeValue(plist_t item, std::vector<std::string>& out) {
    if (!item || plist_get_node_type(item) != PLIST_ARRAY) return false;
    out.clear();
    const uint32_t size = plist_array_get_size(item);
    for (uint32_t i = 0; i < size; ++i) {
        std::string value;
        if (takeValue(plist_array_get_item(item, i), value)) out.push_back(std::move(value));
    }
    return true;
}

bool takeUnsigned(plist_t item, uint64_t& out) {
    if (!item || plist_get_node_type(item) != PLIST_UINT) return false;
    plist_get_uint_val(item, &out);
    return true;
}

bool takeStructure(plist_t item, plist_type type, plist_t& copy) {
    if (!item || plist_get_node_type(item) != type) return false;
    copy = plist_copy(item);
    return true;
}

OtherFields others(plist_t message, const std::vector<const char*>& named) {
    OtherFields result;
    plist_t copy = plist_new_dict();
    forEachEntry(message, [&](const char* key, plist_t item) {
        const bool isNamed = std::any_of(named.begin(), named.end(),
                                         [&](const char* n) { return std::strcmp(n, key) == 0; });
        if (!isNamed) set(copy, key, plist_copy(item));
    });
    result.dict = std::make_unique<PList::Dictionary>(copy);
    return result;
}

}  // namespace codec
}  // namespace wire
