// Typed messages. A message type names its op (kOp; replies have none) and lists its fields
// once, in WIRE_FIELDS: each entry (type, name[, initial value]) declares the member and hands it,
// keyed by its name, to the visitor of a static `fields` template. encode() and decode() are
// written once for every such type, so both ends of the wire spell each key in one place, and a
// field cannot be declared without being sent:
//
//   struct PowerAnswer {
//       static constexpr std::string_view kOp = "power-answer";
//       WIRE_FIELDS((std::optional<int64_t>, argument),
//                   (bool, allow, true))
//   };
//
// A member's initial value is what a received message reads as when it lacks the key or holds
// another type there. Field types:
//   std::string, bool, integers     a string, a boolean, an integer
//   double                          a real (an integer is taken too)
//   std::vector<T>                  an array of T (items of other types are skipped), not
//                                   sent when empty
//   a message type                  a dictionary of its fields, e.g. an item of a list
//   std::unique_ptr<PList::Dictionary / PList::Array>   null when absent
//   std::optional<T>                not sent when empty
//   Given<T>                        like optional, and whether the key was there at all
//   OtherFields                     every key the type does not name (its key is unused)
// Messages are built through the C interface of libplist: libplist++ 2.2 corrupts a date that
// it copies, and a logged event's own fields may hold dates.
#pragma once

#include <plist/plist++.h>
#include <wire/Wire.h>

#include <concepts>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace wire {

// A field whose key counts even when its value is of another type, e.g. a repeat unit: one
// that is named but not understood is refused, not taken for none.
template <class T>
struct Given {
    bool present = false;
    std::optional<T> value;
};

// The keys of a received message that its type does not name, as they came.
struct OtherFields {
    std::unique_ptr<PList::Dictionary> dict;  // null: none
};

// WIRE_FIELDS((type, name[, initial value]), ...): the members and their `fields` visitor.
#define WIRE_FIELDS(...)                             \
    WIRE_FOR_EACH(WIRE_DECLARE_FIELD, __VA_ARGS__)   \
    template <class Self, class Visit>               \
    static void fields(Self& m, Visit&& visit) {     \
        WIRE_FOR_EACH(WIRE_VISIT_FIELD, __VA_ARGS__) \
    }
#define WIRE_DECLARE_FIELD(entry) WIRE_DECLARE_FIELD_ entry
#define WIRE_DECLARE_FIELD_(type, name, ...) type name{__VA_ARGS__};
#define WIRE_VISIT_FIELD(entry) WIRE_VISIT_FIELD_ entry
#define WIRE_VISIT_FIELD_(type, name, ...) visit(#name, m.name);

// WIRE_FOR_EACH(macro, a, b, ...): macro(a) macro(b) ..., for up to 16 entries (each rescan of
// WIRE_EXPAND takes the list one entry further).
#define WIRE_FOR_EACH(macro, ...) __VA_OPT__(WIRE_EXPAND(WIRE_FOR_EACH_STEP(macro, __VA_ARGS__)))
#define WIRE_FOR_EACH_STEP(macro, first, ...) \
    macro(first) __VA_OPT__(WIRE_FOR_EACH_AGAIN WIRE_PARENS(macro, __VA_ARGS__))
#define WIRE_FOR_EACH_AGAIN() WIRE_FOR_EACH_STEP
#define WIRE_PARENS ()
#define WIRE_EXPAND(...) WIRE_EXPAND4(WIRE_EXPAND4(WIRE_EXPAND4(WIRE_EXPAND4(__VA_ARGS__))))
#define WIRE_EXPAND4(...) WIRE_EXPAND1(WIRE_EXPAND1(WIRE_EXPAND1(WIRE_EXPAND1(__VA_ARGS__))))
#define WIRE_EXPAND1(...) __VA_ARGS__

// The base of a message that has no fields besides its op.
struct NoFields {
    template <class Self, class Visit>
    static void fields(Self&, Visit&&) {}
};

template <class M>
concept Message = std::is_default_constructible_v<M> && requires(M& m) {
    M::fields(m, [](const char*, auto&) {});
};
template <class M>
concept Request = Message<M> && requires {
    { M::kOp } -> std::convertible_to<std::string_view>;
};

namespace codec {

template <class T>
inline constexpr bool kIsOptional = false;
template <class T>
inline constexpr bool kIsOptional<std::optional<T>> = true;
template <class T>
inline constexpr bool kIsGiven = false;
template <class T>
inline constexpr bool kIsGiven<Given<T>> = true;
template <class T>
inline constexpr bool kIsOwned = false;
template <class T>
inline constexpr bool kIsOwned<std::unique_ptr<T>> = true;
template <class T>
inline constexpr bool kIsVector = false;
template <class T>
inline constexpr bool kIsVector<std::vector<T>> = true;
template <class T>
concept Integer = std::integral<T> && !std::same_as<T, bool>;

// Puts `item` under `key`, replacing what was there.
void set(plist_t dict, const char* key, plist_t item);
plist_t node(const std::string& value);
plist_t node(bool value);
plist_t node(double value);
plist_t unsignedNode(uint64_t value);
void putOthers(plist_t dict, const OtherFields& others);

bool takeValue(plist_t item, std::string& out);
bool takeValue(plist_t item, bool& out);
bool takeValue(plist_t item, double& out);
bool takeUnsigned(plist_t item, uint64_t& out);
bool takeStructure(plist_t item, plist_type type, plist_t& copy);
OtherFields others(plist_t message, const std::vector<const char*>& named);

template <Message M>
void putFields(plist_t dict, const M& message);
template <Message M>
void takeFields(plist_t dict, M& message);

// The node of a present value.
template <class T>
plist_t nodeOf(const T& value) {
    if constexpr (Message<T>) {
        plist_t dict = plist_new_dict();
        putFields(dict, value);
        return dict;
    } else if constexpr (kIsVector<T>) {
        plist_t array = plist_new_array();
        for (const auto& item : value) plist_array_append_item(array, nodeOf(item));
        return array;
    } else if constexpr (Integer<T>) {
        // Integers go as libplist keeps them: 64 bits, negative ones in two's complement.
        return unsignedNode(static_cast<uint64_t>(static_cast<int64_t>(value)));
    } else {
        return node(value);
    }
}

template <class T>
void put(plist_t dict, const char* key, const T& value) {
    if constexpr (kIsOptional<T>) {
        if (value) put(dict, key, *value);
    } else if constexpr (kIsGiven<T>) {
        if (value.value) put(dict, key, *value.value);
    } else if constexpr (std::is_same_v<T, OtherFields>) {
        putOthers(dict, value);
    } else if constexpr (kIsOwned<T>) {
        if (value) set(dict, key, plist_copy(value->GetPlist()));
    } else if constexpr (kIsVector<T>) {
        if (!value.empty()) set(dict, key, nodeOf(value));
    } else {
        set(dict, key, nodeOf(value));
    }
}

// Reads `item` (null: the key is absent) into `out`; false, with `out` untouched, when it is
// absent or of another type.
template <class T>
bool take(plist_t item, T& out) {
    if constexpr (kIsOptional<T>) {
        typename T::value_type value{};
        if (!take(item, value)) return false;
        out = std::move(value);
        return true;
    } else if constexpr (kIsGiven<T>) {
        out.present = item != nullptr;
        return take(item, out.value);
    } else if constexpr (kIsOwned<T>) {
        using Structure = typename T::element_type;
        constexpr plist_type type =
            std::is_same_v<Structure, PList::Dictionary> ? PLIST_DICT : PLIST_ARRAY;
        plist_t copy = nullptr;
        if (!takeStructure(item, type, copy)) return false;
        out = std::make_unique<Structure>(copy);
        return true;
    } else if constexpr (Message<T>) {
        if (!item || plist_get_node_type(item) != PLIST_DICT) return false;
        takeFields(item, out);
        return true;
    } else if constexpr (kIsVector<T>) {
        if (!item || plist_get_node_type(item) != PLIST_ARRAY) return false;
        out.clear();
        const uint32_t size = plist_array_get_size(item);
        for (uint32_t i = 0; i < size; ++i) {
            typename T::value_type value{};
            if (take(plist_array_get_item(item, i), value)) out.push_back(std::move(value));
        }
        return true;
    } else if constexpr (Integer<T>) {
        uint64_t value = 0;
        if (!takeUnsigned(item, value)) return false;
        out = static_cast<T>(static_cast<int64_t>(value));
        return true;
    } else {
        return takeValue(item, out);
    }
}

template <Message M>
void putFields(plist_t dict, const M& message) {
    M::fields(message, [&](const char* key, const auto& field) { put(dict, key, field); });
}

template <Message M>
void takeFields(plist_t dict, M& message) {
    std::vector<const char*> named{"op"};
    M::fields(message, [&](const char* key, auto& field) {
        if constexpr (!std::is_same_v<std::remove_cvref_t<decltype(field)>, OtherFields>) {
            named.push_back(key);
            take(plist_dict_get_item(dict, key), field);
        }
    });
    M::fields(message, [&](const char*, auto& field) {
        if constexpr (std::is_same_v<std::remove_cvref_t<decltype(field)>, OtherFields>)
            field = others(dict, named);
    });
}

}  // namespace codec

// The message as the wire carries it: {op, fields...}.
template <Message M>
PList::Dictionary encode(const M& message) {
    plist_t dict = plist_new_dict();
    if constexpr (Request<M>) codec::set(dict, "op", codec::node(std::string(M::kOp)));
    codec::putFields(dict, message);
    return PList::Dictionary(dict);
}

// The message a dictionary holds; fields it lacks keep their initial values.
template <Message M>
M decode(const PList::Dictionary& dict) {
    M message;
    codec::takeFields(dict.GetPlist(), message);
    return message;
}

// The op a received dictionary names; empty when none.
std::string opOf(const PList::Dictionary& message);

// sendMessage of the encoded message.
template <Message M>
bool send(int fd, const M& message) {
    return sendMessage(fd, encode(message));
}

}  // namespace wire
