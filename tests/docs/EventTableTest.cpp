// sim/README.md's table of the event log is the log's documentation: every event that the
// simulated device's code can write must stand in it, under its source, and it names no other.
#include <gtest/gtest.h>
#include <wire/events/All.h>

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

// The events the device's code can write: the log's types.
std::set<Event> eventsInCode() {
    std::set<Event> events;
    wire::events::AllEvents::forEach(
        [&]<class E>() { events.emplace(std::string(E::kSource), std::string(E::kEvent)); });
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
    const std::set<Event> inCode = eventsInCode();
    const std::set<Event> inTable = eventsInTable(readWhole(top / "sim" / "README.md"));
    std::vector<std::string> missing, stale;
    for (const auto& [source, event] : inCode)
        if (!inTable.count({source, event})) missing.push_back(source + " " + event);
    for (const auto& [source, event] : inTable)
        if (!inCode.count({source, event})) stale.push_back(source + " " + event);
    EXPECT_TRUE(missing.empty()) << "not in sim/README.md's event table: "
                                 << testing::PrintToString(missing);
    EXPECT_TRUE(stale.empty()) << "in sim/README.md's event table but no event of the code: "
                               << testing::PrintToString(stale);
}

// A type that defines an event but is left out of the list would be written and never
// documented: every kEvent the event headers spell must be in the list.
TEST(EventTable, TheListHoldsEveryEventTypeTheHeadersDefine) {
    const std::filesystem::path events =
        std::filesystem::path(VIGILANT_SOURCE_DIR) / "wire" / "include" / "wire" / "events";
    static const std::regex defined(R"re(kEvent\s*=\s*"([^"]+)")re");
    std::set<std::string> inHeaders, inList;
    for (const auto& entry : std::filesystem::directory_iterator(events)) {
        const std::string text = readWhole(entry.path());
        for (auto it = std::sregex_iterator(text.begin(), text.end(), defined);
             it != std::sregex_iterator(); ++it)
            inHeaders.insert((*it)[1].str());
    }
    wire::events::AllEvents::forEach([&]<class E>() { inList.emplace(E::kEvent); });
    ASSERT_GT(inHeaders.size(), 40u) << "no event definitions found: has their shape changed?";
    EXPECT_EQ(inHeaders, inList);
}

}  // namespace
