// The device's event log, one JSON object a line: {"time", "source", "event", its own fields}.
// Each event is a type that names its source and event (kSource, kEvent) and lists its fields
// once, in WIRE_FIELDS, as messages do; the writers render a line from the type and the readers
// take the type back from a line, so no event is spelled twice:
//
//   struct JobStarted {
//       static constexpr std::string_view kSource = "launchd";
//       static constexpr std::string_view kEvent = "job-started";
//       WIRE_FIELDS((std::string, label), (int64_t, pid, 0))
//   };
//
// Fields are written in their declared order. Field types, as the log holds them:
//   std::string, bool, integers, double   a string, a boolean, an integer, a number
//   std::vector<T>                        an array of T, also when empty
//   std::optional<T>                      left out when empty
//   OrNull<T>                             null when empty
// A member named after a C++ keyword ends in '_' (new_); its key does not ("new").
// A line read back lacking a field (or holding another type there) keeps its initial value.
#pragma once

#include <wire/Message.h>

#include <concepts>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wire::events {

// A field that is always written, as null when it has no value (a SpringBoard that was not
// running, a sleep with no wake-up ahead).
template <class T>
struct OrNull {
    std::optional<T> value;
};

template <class E>
concept Event = Message<E> && requires {
    { E::kSource } -> std::convertible_to<std::string_view>;
    { E::kEvent } -> std::convertible_to<std::string_view>;
};

// The source of an event every device process writes under its own name.
inline constexpr std::string_view kAnySource = "any process";

// The events a reader can tell apart, e.g. the whole log's (AllEvents in wire/events/All.h).
template <Event... E>
struct List {
    // f.template operator()<E>() for each type, in order.
    template <class F>
    static void forEach(F&& f) {
        (f.template operator()<E>(), ...);
    }
};

namespace json {

// The key of a member: its name, less the '_' that sets a keyword apart.
inline std::string keyOf(std::string_view member) {
    if (!member.empty() && member.back() == '_') member.remove_suffix(1);
    return std::string(member);
}

template <class T>
inline constexpr bool kIsOrNull = false;
template <class T>
inline constexpr bool kIsOrNull<OrNull<T>> = true;

template <class Json, class T>
Json valueOf(const T& value) {
    if constexpr (kIsOrNull<T>) {
        return value.value ? valueOf<Json>(*value.value) : Json(nullptr);
    } else if constexpr (codec::kIsVector<T>) {
        Json array = Json::array();
        for (const auto& item : value) array.push_back(valueOf<Json>(item));
        return array;
    } else {
        return Json(value);
    }
}

template <class Json, class T>
void put(Json& line, const char* key, const T& value) {
    if constexpr (codec::kIsOptional<T>) {
        if (value) put(line, key, *value);
    } else {
        line[keyOf(key)] = valueOf<Json>(value);
    }
}

// Reads `item` (null: the key is absent) into `out`; false, with `out` untouched, when it is
// absent or of another type.
template <class Json, class T>
bool take(const Json* item, T& out) {
    if (!item) return false;
    if constexpr (codec::kIsOptional<T>) {
        typename T::value_type value{};
        if (!take(item, value)) return false;
        out = std::move(value);
        return true;
    } else if constexpr (kIsOrNull<T>) {
        if (item->is_null()) {
            out.value.reset();
            return true;
        }
        return take(item, out.value);
    } else if constexpr (codec::kIsVector<T>) {
        if (!item->is_array()) return false;
        out.clear();
        for (const Json& each : *item) {
            typename T::value_type value{};
            if (take(&each, value)) out.push_back(std::move(value));
        }
        return true;
    } else if constexpr (std::same_as<T, bool>) {
        if (!item->is_boolean()) return false;
        out = item->template get<bool>();
        return true;
    } else if constexpr (codec::Integer<T>) {
        if (!item->is_number_integer()) return false;
        out = static_cast<T>(item->template get<int64_t>());
        return true;
    } else if constexpr (std::floating_point<T>) {
        if (!item->is_number()) return false;
        out = item->template get<T>();
        return true;
    } else {
        static_assert(std::same_as<T, std::string>, "no such field type in the event log");
        if (!item->is_string()) return false;
        out = item->template get<std::string>();
        return true;
    }
}

template <class Json>
const Json* member(const Json& line, const char* key) {
    const auto it = line.find(keyOf(key));
    return it == line.end() ? nullptr : &*it;
}

template <class Json>
bool names(const Json& line, const char* key, std::string_view value) {
    const Json* item = member(line, key);
    return item && item->is_string() && item->template get_ref<const std::string&>() == value;
}

}  // namespace json

// The event's own fields, as its line holds them after time, source and event.
template <Event E>
nlohmann::ordered_json fieldsOf(const E& event) {
    nlohmann::ordered_json fields = nlohmann::ordered_json::object();
    E::fields(event, [&](const char* key, const auto& field) { json::put(fields, key, field); });
    return fields;
}

// A parsed line: nlohmann's json or ordered_json.
template <class J>
concept ParsedLine = nlohmann::detail::is_basic_json<J>::value;

// Whether a parsed line is an event of type E.
template <Event E, ParsedLine Json>
bool is(const Json& line) {
    if (!line.is_object() || !json::names(line, "event", E::kEvent)) return false;
    return E::kSource == kAnySource || json::names(line, "source", E::kSource);
}

// The event a parsed line holds; none when it holds another.
template <Event E, ParsedLine Json>
std::optional<E> read(const Json& line) {
    if (!is<E>(line)) return std::nullopt;
    E event;
    E::fields(event,
              [&](const char* key, auto& field) { json::take(json::member(line, key), field); });
    return event;
}

// The event a line of the log holds; none when it holds another, or no JSON.
template <Event E>
std::optional<E> read(std::string_view text) {
    return read<E>(nlohmann::json::parse(text, nullptr, false));
}

// What every device process logs through NSLog, under its own name as the source.
struct Log {
    static constexpr std::string_view kSource = kAnySource;
    static constexpr std::string_view kEvent = "log";
    WIRE_FIELDS((int64_t, pid, 0), (std::string, process), (std::string, text))
};

}  // namespace wire::events
