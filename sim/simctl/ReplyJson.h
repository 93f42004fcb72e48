// A typed reply as simctl prints it: a JSON object of its fields in their order, keyed as on the
// wire, without `ok`. An absent optional is null, except a job's startError, which is left out.
#pragma once

#include <wire/Message.h>
#include <wire/messages/Device.h>

#include <nlohmann/json.hpp>
#include <string_view>
#include <type_traits>

namespace simctl {

template <class T>
nlohmann::ordered_json toJson(const T& value);

template <wire::Message M>
nlohmann::ordered_json fieldsToJson(const M& message) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    M::fields(message, [&](const char* key, const auto& field) {
        if (std::string_view(key) != "ok") out[key] = toJson(field);
    });
    if constexpr (std::is_same_v<M, wire::JobStatus>)
        if (!message.startError) out.erase("startError");
    return out;
}

template <class T>
nlohmann::ordered_json toJson(const T& value) {
    if constexpr (wire::Message<T>) {
        return fieldsToJson(value);
    } else if constexpr (wire::codec::kIsOptional<T>) {
        return value ? toJson(*value) : nlohmann::ordered_json(nullptr);
    } else if constexpr (wire::codec::kIsVector<T>) {
        nlohmann::ordered_json out = nlohmann::ordered_json::array();
        for (const auto& item : value) out.push_back(toJson(item));
        return out;
    } else {
        return value;
    }
}

}  // namespace simctl
