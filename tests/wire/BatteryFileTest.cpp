// The battery's file: what a device keeps across shutdowns comes back as it was, and a file
// that is missing, damaged or holds what no battery can be gives a full battery (saying why
// when it was damaged), never a level out of bounds.
#include <gtest/gtest.h>
#include <wire/BatteryFile.h>
#include <wire/DevicePaths.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "TemporaryFolder.h"

namespace {

std::string plist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body +
           "</plist>\n";
}

TEST(BatteryFile, WhatIsKeptComesBackAsItWas) {
    TemporaryFolder root("battery");
    wire::BatteryRecord kept;
    kept.level = 37.25;
    kept.plugged = true;
    kept.rates.dark = 12.5;
    ASSERT_TRUE(wire::saveBattery(root.path(), kept));
    std::string error;
    const wire::BatteryRecord read = wire::loadBattery(root.path(), &error);
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_EQ(read.level, 37.25);
    EXPECT_TRUE(read.plugged);
    EXPECT_EQ(read.rates.dark, 12.5);
    EXPECT_EQ(read.rates.lit, wire::BatteryRates{}.lit);
}

TEST(BatteryFile, AFileThatCannotBeABatteryReadsAsAFullOne) {
    const struct {
        const char* name;
        std::optional<std::string> content;  // none: no file
        bool complaint;
    } cases[] = {
        {"missing", std::nullopt, false},
        {"truncated", "<?xml version=", true},
        {"array", plist("<array/>"), true},
        {"level above full", plist("<dict><key>level</key><real>250</real></dict>"), true},
        {"negative rate",
         plist("<dict><key>rates</key><dict><key>lit</key><real>-5</real></dict></dict>"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryFolder root("battery");
        const std::string path = wire::inRoot(root.path(), wire::paths::kBattery);
        if (c.content) {
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            std::ofstream(path) << *c.content;
        }
        std::string error;
        const wire::BatteryRecord read = wire::loadBattery(root.path(), &error);
        EXPECT_EQ(read.level, 100);
        EXPECT_FALSE(read.plugged);
        EXPECT_EQ(read.rates.lit, wire::BatteryRates{}.lit);
        EXPECT_EQ(!error.empty(), c.complaint) << error;
    }
}

}  // namespace
