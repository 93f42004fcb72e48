#include "PlistJson.h"

#include <base/PlistFile.h>
#include <base/PlistHandles.h>
#include <wire/DeviceTime.h>

namespace simd {

using nlohmann::ordered_json;

ordered_json plistToJson(const PList::Node* node) {
    if (!node) return nullptr;
    plist_t raw = node->GetPlist();
    switch (node->GetType()) {
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(raw, &value);
            return value != 0;
        }
        case PLIST_UINT: {
            uint64_t value = 0;
            plist_get_uint_val(raw, &value);
            return static_cast<int64_t>(value);  // libplist keeps signed integers so
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(raw, &value);
            return value;
        }
        case PLIST_STRING:
            return static_cast<const PList::String*>(node)->GetValue();
        case PLIST_DATE:
            return wire::formatDeviceTime(
                base::dateSeconds(*static_cast<const PList::Date*>(node)));
        case PLIST_DATA: {
            base::PlistText bytes;
            uint64_t length = 0;
            plist_get_data_val(raw, bytes.out(), &length);
            return ordered_json{{"dataBytes", length}};
        }
        case PLIST_ARRAY: {
            ordered_json out = ordered_json::array();
            for (const auto& item : base::arrayItems(*static_cast<const PList::Array*>(node)))
                out.push_back(plistToJson(item.get()));
            return out;
        }
        case PLIST_DICT: {
            ordered_json out = ordered_json::object();
            const auto& dict = *static_cast<const PList::Dictionary*>(node);
            for (auto it = dict.Begin(); it != dict.End(); ++it)
                out[it->first] = plistToJson(it->second);
            return out;
        }
        default:
            return nullptr;
    }
}

std::unique_ptr<PList::Node> jsonToPlist(const ordered_json& value) {
    switch (value.type()) {
        case ordered_json::value_t::object: {
            auto dict = std::make_unique<PList::Dictionary>();
            for (auto it = value.begin(); it != value.end(); ++it)
                dict->Set(it.key(), jsonToPlist(it.value()).get());
            return dict;
        }
        case ordered_json::value_t::array: {
            auto array = std::make_unique<PList::Array>();
            for (const auto& item : value) {
                auto node = jsonToPlist(item);
                array->Append(node.get());
            }
            return array;
        }
        case ordered_json::value_t::string:
            return std::make_unique<PList::String>(value.get<std::string>());
        case ordered_json::value_t::boolean:
            return std::make_unique<PList::Boolean>(value.get<bool>());
        case ordered_json::value_t::number_integer:
            return std::make_unique<PList::Integer>(static_cast<uint64_t>(value.get<int64_t>()));
        case ordered_json::value_t::number_unsigned:
            return std::make_unique<PList::Integer>(value.get<uint64_t>());
        case ordered_json::value_t::number_float:
            return std::make_unique<PList::Real>(value.get<double>());
        default:
            return std::make_unique<PList::String>("");
    }
}

}  // namespace simd
