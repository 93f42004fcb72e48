// Property-list values as JSON, for the event log and simctl's output: dates become device
// times ("YYYY-MM-DDTHH:MM:SS"), data becomes its size.
#pragma once

#include <plist/plist++.h>

#include <nlohmann/json.hpp>

namespace simd {

nlohmann::ordered_json plistToJson(const PList::Node* node);
// A JSON value as a property-list node (objects, arrays, strings, numbers, booleans; null
// becomes an empty string, since property lists have no null).
std::unique_ptr<PList::Node> jsonToPlist(const nlohmann::ordered_json& value);

}  // namespace simd
