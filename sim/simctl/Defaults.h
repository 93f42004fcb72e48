// The preferences of the device user root (var/root/Library/Preferences/DOMAIN.plist), read
// and written in the manner of the defaults tool.
#pragma once

#include <plist/plist++.h>

#include <memory>
#include <optional>
#include <string>

namespace simctl {

// "DOMAIN" must name a file: not empty, no '/', not starting with '.'.
bool validDomainName(const std::string& domain);

// A value given on the command line: type "-bool" (true/false/yes/no/1/0), "-int", "-string",
// or empty (a string). Null and `error` when the text does not fit the type.
std::unique_ptr<PList::Node> parseDefaultsValue(const std::string& type, const std::string& text,
                                                std::string* error);

// The defaults tool's text for a value: a whole domain as { Key = value; }, strings quoted
// when they are not a plain word. `topLevel` false prints a key's value bare (strings as they
// are, booleans as 1 or 0).
std::string formatDefaultsValue(const PList::Node& node, bool topLevel, int indent = 0);

}  // namespace simctl
