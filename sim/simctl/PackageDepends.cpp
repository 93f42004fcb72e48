#include "PackageDepends.h"

#include <regex>

#include "Simctl.h"

namespace simctl {

namespace {

const char* const kEntryForm =
    "each entry is a package name, with \"(RELATION VERSION)\" after it when a version matters; "
    "RELATION is one of <<, <=, =, >=, >>";

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (char c : text)
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    return parts;
}

std::string withoutSpace(const std::string& text) {
    static const std::regex space("^\\s+|\\s+$");
    return std::regex_replace(text, space, "");
}

Dependency parseAlternative(const std::string& text) {
    // Names as Debian's policy has them; versions [epoch:]upstream[-revision] with dpkg's
    // characters, starting with a digit (a colon only after an epoch). The obsolete "<" and
    // ">" are refused.
    static const std::regex entry(
        "([a-z0-9][a-z0-9+.-]+)\\s*(?:\\(\\s*(<<|<=|=|>=|>>)\\s*"
        "([0-9]+:[0-9][A-Za-z0-9.+~:-]*|[0-9][A-Za-z0-9.+~-]*)\\s*\\))?");
    std::smatch match;
    if (!std::regex_match(text, match, entry) || (match[3].matched && match.str(3).back() == '-'))
        throw CommandError("cannot read \"" + text + "\" (" + kEntryForm + ")");
    return {match.str(1), match.str(2), match.str(3)};
}

std::string spelled(const Dependency& dependency) {
    return dependency.package + (dependency.relation.empty()
                                     ? ""
                                     : " (" + dependency.relation + " " + dependency.version + ")");
}

// dpkg's answer for `version RELATION wanted`; a CommandError when dpkg cannot compare them.
bool versionHolds(const std::string& version, const Dependency& dependency) {
    const int status = runTool(
        {"dpkg", "--compare-versions", version, dependency.relation, dependency.version}, nullptr);
    if (status > 1)
        throw CommandError("dpkg cannot compare the versions " + version + " and " +
                           dependency.version);
    return status == 0;
}

bool satisfies(const InstalledPackages& installed, const Dependency& dependency) {
    const auto found = installed.find(dependency.package);
    return found != installed.end() &&
           (dependency.relation.empty() || versionHolds(found->second, dependency));
}

}  // namespace

std::vector<DependsClause> parseDepends(const std::string& field) {
    std::vector<DependsClause> clauses;
    if (withoutSpace(field).empty()) return clauses;
    for (const std::string& clause : split(field, ',')) {
        clauses.emplace_back();
        for (const std::string& alternative : split(clause, '|')) {
            const std::string text = withoutSpace(alternative);
            if (text.empty())
                throw CommandError("an empty entry in \"" + withoutSpace(field) + "\" (" +
                                   kEntryForm + ")");
            clauses.back().push_back(parseAlternative(text));
        }
    }
    return clauses;
}

std::vector<std::string> unmetDepends(const std::string& field,
                                      const InstalledPackages& installed) {
    std::vector<std::string> unmet;
    for (const DependsClause& clause : parseDepends(field)) {
        std::string wanted, has;
        bool met = false;
        for (const Dependency& dependency : clause) {
            met = met || satisfies(installed, dependency);
            const auto found = installed.find(dependency.package);
            wanted += (wanted.empty() ? "" : " | ") + spelled(dependency);
            has += (has.empty() ? "" : ", ") + (found == installed.end()
                                                    ? "no " + dependency.package
                                                    : dependency.package + " " + found->second);
        }
        if (!met) unmet.push_back("it depends on " + wanted + ", but the device has " + has);
    }
    return unmet;
}

}  // namespace simctl
