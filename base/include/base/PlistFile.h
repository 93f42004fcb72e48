// Reading property-list files that anyone may have damaged: a missing file, an empty one, a
// truncated one or one that is no property list each get their own clear answer.
#pragma once

#include <plist/plist++.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace base {

struct PlistFile {
    enum class State { Missing, Loaded, Invalid };
    State state = State::Missing;
    std::unique_ptr<PList::Node> root;  // set when Loaded
    std::string error;                  // why it is Invalid, e.g. "is not a property list"

    bool loaded() const { return state == State::Loaded; }
    // The root as a dictionary, or null (also when the root is of another type).
    PList::Dictionary* dictionary() const;
};

PlistFile readPlistFile(const std::string& hostPath);
// Parses XML or binary property-list bytes; null (and `error`) when they are none.
std::unique_ptr<PList::Node> parsePlist(const std::vector<char>& bytes, std::string* error);
std::vector<char> plistToXml(const PList::Node& node);

// Typed lookups in a dictionary (a file's or a message's); nothing when the key is absent or
// holds another type.
std::optional<std::string> stringAt(const PList::Dictionary& dict, const std::string& key);
std::optional<int64_t> integerAt(const PList::Dictionary& dict, const std::string& key);
std::optional<double> realAt(const PList::Dictionary& dict, const std::string& key);  // or integer
std::optional<bool> booleanAt(const PList::Dictionary& dict, const std::string& key);
// Seconds since the reference date.
std::optional<double> dateAt(const PList::Dictionary& dict, const std::string& key);
const PList::Array* arrayAt(const PList::Dictionary& dict, const std::string& key);
const PList::Dictionary* dictionaryAt(const PList::Dictionary& dict, const std::string& key);
const PList::Node* nodeAt(const PList::Dictionary& dict, const std::string& key);

// The items of an array. libplist++ 2.2 cannot index arrays that it read from a file (its
// operator[] throws), so arrays are walked through the C interface: each item a copy.
// arrayItems is the way to walk one: for (const auto& item : base::arrayItems(array)).
size_t arraySize(const PList::Array& array);
std::unique_ptr<PList::Node> arrayItem(const PList::Array& array, size_t index);
std::vector<std::unique_ptr<PList::Node>> arrayItems(const PList::Array& array);
// The root of a file read as an array, or null when it is none.
const PList::Array* arrayRoot(const PlistFile& file);
// Edits through the C interface, for the same reason.
void arrayAppend(PList::Array& array, const PList::Node& item);
void arrayRemove(PList::Array& array, size_t index);

// Property-list dates, as seconds since the reference date.
double dateSeconds(const PList::Date& date);
PList::Date makeDate(double referenceSeconds);

}  // namespace base
