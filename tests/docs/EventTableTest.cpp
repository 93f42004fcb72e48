// sim/README.md's table of the event log is the log's documentation: every event that the
// simulated device's code can write must stand in it, under its source.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ReadWhole.h"

namespace {

using Event = std::pair<std::string, std::string>;  // source, event

void collect(const std::string& text, const std::regex& pattern, const std::string& source,
             std::set<Event>& events) {
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        if (m.size() > 2 && m[2].matched)
            events.emplace(m[1].str(), m[2].str());
        else
            events.emplace(source, m[1].str());
    }
}

// The events the code writes: log writes name their source; launchd's and the power manager's
// helpers and SpringBoard's event sink write under their own.
std::set<Event> eventsInCode(const std::filesystem::path& sim) {
    static const std::regex written(R"re(\.write\(\s*"(\w+)",\s*"([a-z][a-z-]*)")re");
    static const std::regex launchd(R"re(\bevent\(\s*"([a-z][a-z-]*)")re");
    static const std::regex power(R"re(\bpowerEvent\(\s*"([a-z][a-z-]*)")re");
    static const std::regex springBoard(R"re(\b(?:event|changed)\(\s*"([a-z][a-z-]*)")re");
    std::set<Event> events{{"any process", "log"}};  // NSLog, sent by every device process
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sim)) {
        if (entry.path().extension() != ".cpp") continue;
        const std::string text = readWhole(entry.path());
        const std::string folder = entry.path().parent_path().filename().string();
        collect(text, written, "", events);
        collect(text, power, "powerd", events);
        if (folder == "simd") collect(text, launchd, "launchd", events);
        if (folder == "springboard") collect(text, springBoard, "SpringBoard", events);
    }
    return events;
}

// The (source, event) pairs of the README's event table: the source cell and every event
// written in backquotes in the event cell.
std::set<Event> eventsInTable(const std::string& readme) {
    std::set<Event> events;
    const size_t start = readme.find("## The event log");
    std::istringstream lines(start == std::string::npos ? "" : readme.substr(start));
    static const std::regex row(R"re(^\|\s*([^|]*?)\s*\|\s*([^|]*?)\s*\|)re");
    static const std::regex quoted("`([^`]+)`");
    std::string line;
    while (std::getline(lines, line)) {
        std::smatch cells;
        if (!std::regex_search(line, cells, row)) continue;
        std::string source = cells[1].str();
        if (source.size() > 2 && source.front() == '`')
            source = source.substr(1, source.size() - 2);
        const std::string names = cells[2].str();
        for (auto it = std::sregex_iterator(names.begin(), names.end(), quoted);
             it != std::sregex_iterator(); ++it)
            events.emplace(source, (*it)[1].str());
    }
    return events;
}

TEST(EventTable, EveryEventTheDeviceWritesIsDocumentedUnderItsSource) {
    const std::filesystem::path top = VIGILANT_SOURCE_DIR;
    const std::set<Event> inCode = eventsInCode(top / "sim");
    const std::set<Event> inTable = eventsInTable(readWhole(top / "sim" / "README.md"));
    ASSERT_GT(inCode.size(), 20u) << "the code's events were not found: has their shape changed?";
    std::vector<std::string> missing;
    for (const auto& [source, event] : inCode)
        if (!inTable.count({source, event})) missing.push_back(source + " " + event);
    EXPECT_TRUE(missing.empty()) << "not in sim/README.md's event table: "
                                 << testing::PrintToString(missing);
}

}  // namespace
