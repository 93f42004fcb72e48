#include "Defaults.h"

#include <base/PlistFile.h>
#include <base/PlistHandles.h>
#include <wire/DeviceTime.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace simctl {

bool validDomainName(const std::string& domain) {
    return !domain.empty() && domain.front() != '.' && domain.find('/') == std::string::npos &&
           domain.find('\0') == std::string::npos;
}

std::unique_ptr<PList::Node> parseDefaultsValue(const std::string& type, const std::string& text,
                                                std::string* error) {
    auto fail = [&](const std::string& why) -> std::unique_ptr<PList::Node> {
        if (error) *error = why;
        return nullptr;
    };
    if (type.empty() || type == "-string") return std::make_unique<PList::String>(text);
    if (type == "-bool" || type == "-boolean") {
        std::string lower = text;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (lower == "true" || lower == "yes" || lower == "1")
            return std::make_unique<PList::Boolean>(true);
        if (lower == "false" || lower == "no" || lower == "0")
            return std::make_unique<PList::Boolean>(false);
        return fail("-bool wants true, false, yes, no, 1 or 0, not \"" + text + "\"");
    }
    if (type == "-int" || type == "-integer") {
        errno = 0;
        char* end = nullptr;
        const long long value = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || !end || *end != '\0' || errno == ERANGE)
            return fail("-int wants a whole number, not \"" + text + "\"");
        return std::make_unique<PList::Integer>(static_cast<uint64_t>(value));
    }
    return fail("unknown value type " + type + " (use -bool, -int or -string)");
}

namespace {

bool plainWord(const std::string& s) {
    if (s.empty()) return false;
    return std::all_of(s.begin(), s.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_' || c == '.' || c == '$' || c == '/' || c == ':';
    });
}

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string formatDefaultsValue(const PList::Node& node, bool topLevel, int indent) {
    const std::string pad(static_cast<size_t>(indent + 4), ' ');
    const std::string closing(static_cast<size_t>(indent), ' ');
    plist_t raw = node.GetPlist();
    switch (node.GetType()) {
        case PLIST_BOOLEAN: {
            uint8_t v = 0;
            plist_get_bool_val(raw, &v);
            return v ? "1" : "0";
        }
        case PLIST_UINT: {
            uint64_t v = 0;
            plist_get_uint_val(raw, &v);
            return std::to_string(static_cast<int64_t>(v));
        }
        case PLIST_REAL: {
            double v = 0;
            plist_get_real_val(raw, &v);
            char text[64];
            std::snprintf(text, sizeof text, "%g", v);
            return text;
        }
        case PLIST_STRING: {
            const std::string s = static_cast<const PList::String&>(node).GetValue();
            return topLevel ? s : plainWord(s) ? s : quoted(s);
        }
        case PLIST_DATE: {
            std::string t =
                wire::formatDeviceTime(base::dateSeconds(static_cast<const PList::Date&>(node)));
            t[10] = ' ';
            return (topLevel ? "" : "\"") + t + " +0000" + (topLevel ? "" : "\"");
        }
        case PLIST_DATA: {
            base::PlistText bytes;
            uint64_t length = 0;
            plist_get_data_val(raw, bytes.out(), &length);
            std::string out = "<";
            for (uint64_t i = 0; i < length; ++i) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes.get()[i]));
                if (i && i % 4 == 0) out += ' ';
                out += hex;
            }
            return out + ">";
        }
        case PLIST_ARRAY: {
            const uint32_t n = plist_array_get_size(raw);
            if (n == 0) return "(\n" + closing + ")";
            std::string out = "(\n";
            for (uint32_t i = 0; i < n; ++i) {
                std::unique_ptr<PList::Node> item(
                    PList::Node::FromPlist(plist_copy(plist_array_get_item(raw, i))));
                out += pad + formatDefaultsValue(*item, false, indent + 4);
                out += i + 1 < n ? ",\n" : "\n";
            }
            return out + closing + ")";
        }
        case PLIST_DICT: {
            const auto& dict = static_cast<const PList::Dictionary&>(node);
            std::string out = "{\n";
            for (auto it = dict.Begin(); it != dict.End(); ++it)
                out += pad + (plainWord(it->first) ? it->first : quoted(it->first)) + " = " +
                       formatDefaultsValue(*it->second, false, indent + 4) + ";\n";
            return out + closing + "}";
        }
        default:
            return "?";
    }
}

}  // namespace simctl
