#include "ControlParagraph.h"

#include <strings.h>

#include <sstream>

#include "Simctl.h"

namespace simctl {

namespace {

bool sameName(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::string trimmed(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

}  // namespace

std::string ControlParagraph::value(const std::string& name) const {
    for (const auto& [field, value] : fields_)
        if (sameName(field, name)) return value;
    return "";
}

void ControlParagraph::set(const std::string& name, const std::string& value) {
    for (auto& [field, old] : fields_)
        if (sameName(field, name)) {
            old = value;
            return;
        }
    fields_.emplace_back(name, value);
}

std::string ControlParagraph::text() const {
    std::string out;
    for (const auto& [field, value] : fields_) out += field + ": " + value + "\n";
    return out;
}

std::vector<ControlParagraph> ControlParagraph::parseAll(const std::string& text,
                                                         const std::string& source) {
    std::vector<ControlParagraph> paragraphs(1);
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ControlParagraph& current = paragraphs.back();
        if (trimmed(line).empty()) {
            if (!current.empty()) paragraphs.emplace_back();
            continue;
        }
        if (line.front() == ' ' || line.front() == '\t') {
            if (current.empty())
                throw CommandError(source + ": line " + std::to_string(number) +
                                   " goes on a field that is not there");
            current.fields_.back().second += "\n" + line;
            continue;
        }
        const size_t colon = line.find(':');
        const std::string name = colon == std::string::npos ? "" : line.substr(0, colon);
        if (name.empty() || name.find_first_of(" \t") != std::string::npos)
            throw CommandError(source + ": line " + std::to_string(number) +
                               " is no \"Field: value\" line");
        current.fields_.emplace_back(name, trimmed(line.substr(colon + 1)));
    }
    if (paragraphs.back().empty()) paragraphs.pop_back();
    return paragraphs;
}

}  // namespace simctl
