// A program of the system started outside any running device says so in one line and ends at
// once with a failure, instead of hanging or crashing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "SimE2E.h"

namespace {

using namespace sim_e2e;

struct Place {
    const char* name;
    // SIMDEVICE_ROOT, relative to a scratch folder; null: not set at all.
    const char* root;
    bool createDevice;  // a device laid out there, never booted
};

class OffDevice : public testing::TestWithParam<Place> {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vigilant-offdevice-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        scratch = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(scratch, ec);
    }
    std::string scratch;
};

TEST_P(OffDevice, VigilantProDarwinSaysSoInOneLineAndFails) {
    const Place& place = GetParam();
    std::vector<std::string> environment = environmentOffDevice();
    if (place.root) {
        const std::string root = scratch + "/" + place.root;
        if (place.createDevice) {
            const Captured made =
                runCaptured({simctlPath(), "create", root}, environment, scratch, kHostBudget);
            ASSERT_EQ(made.status, 0) << made.err;
        }
        environment.push_back("SIMDEVICE_ROOT=" + root);
    }
    const Captured run =
        runCaptured({VIGILANT_PRO_PATH, "darwin"}, environment, scratch, kHostBudget);
    ASSERT_FALSE(run.timedOut) << "VigilantPro darwin hung outside a device";
    std::cout << "[ figure ] " << place.name << ": ended after " << run.hostSeconds << " s\n";
    EXPECT_GT(run.status, 0) << "ended by a signal or with success; stderr:\n" << run.err;
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.back(), '\n');
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "more than one line:\n" << run.err;
    EXPECT_NE(run.err.find("device"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Places, OffDevice,
                         testing::Values(Place{"NoRootVariable", nullptr, false},
                                         Place{"NoSuchFolder", "missing/device", false},
                                         Place{"DeviceNeverBooted", "device", true}),
                         [](const testing::TestParamInfo<Place>& info) { return info.param.name; });

}  // namespace
