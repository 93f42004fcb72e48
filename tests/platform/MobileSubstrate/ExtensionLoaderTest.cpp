// MobileSubstrate's loader: which extensions a process gets, and that a bad one never stops
// the others.
#include <gtest/gtest.h>
#include <substrate/ExtensionLoader.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "SpringBoardSideBackend.h"

namespace fs = std::filesystem;

namespace {

const char* const kSpringBoardFilter = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>Filter</key><dict><key>Bundles</key>
<array><string>com.apple.mobilemail</string><string>com.apple.springboard</string></array>
</dict></dict></plist>)";
const char* const kOtherBundleFilter = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>Filter</key><dict><key>Bundles</key>
<array><string>com.apple.mobilesafari</string></array></dict></dict></plist>)";
const char* const kExecutablesOnlyFilter = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>Filter</key><dict><key>Executables</key>
<array><string>SpringBoard</string></array></dict></dict></plist>)";

class ExtensionLoader : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vigilant-loader-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        backend.files().setDeviceRoot(pattern);
        folder = backend.files().deviceRoot() + substrate::kDynamicLibrariesFolder;
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(backend.files().deviceRoot()); }

    void addLibrary(const std::string& base) {
        fs::copy_file(LOADER_PROBE_PATH, folder + "/" + base + ".dylib");
    }
    void addFile(const std::string& name, const std::string& contents) {
        std::ofstream(folder + "/" + name) << contents;
    }
    std::vector<std::string> linesContaining(const std::string& text) const {
        std::vector<std::string> found;
        const std::vector<std::string> lines = backend.logLines();
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
                     [&](const std::string& l) { return l.find(text) != std::string::npos; });
        return found;
    }
    std::vector<std::string> load() {
        return substrate::loadExtensions(substrate::kDynamicLibrariesFolder,
                                         "com.apple.springboard");
    }

    SpringBoardSideBackend backend;
    std::string folder;
};

TEST_F(ExtensionLoader, LoadsInNameOrderOnlyWhatTheFilterNamesForThisBundle) {
    addLibrary("Beta");
    addFile("Beta.plist", kSpringBoardFilter);
    addLibrary("Alpha");
    addFile("Alpha.plist", kSpringBoardFilter);
    addLibrary("Safari");
    addFile("Safari.plist", kOtherBundleFilter);
    addFile("Stray.plist", kSpringBoardFilter);  // a filter without a library is no extension

    EXPECT_EQ(load(), (std::vector<std::string>{"Alpha.dylib", "Beta.dylib"}));
    EXPECT_EQ(linesContaining("probe loaded"),
              (std::vector<std::string>{"probe loaded: Alpha.dylib", "probe loaded: Beta.dylib"}));
    EXPECT_EQ(linesContaining("Safari.dylib").size(), 1u) << "skipping is logged";
}

struct BadFilter {
    const char* name;
    const char* contents;  // null: no filter file at all
    const char* reason;
};

class UnusableFilter : public ExtensionLoader, public testing::WithParamInterface<BadFilter> {};

TEST_P(UnusableFilter, SkipsWithALogLineAndGoesOn) {
    const BadFilter& bad = GetParam();
    addLibrary("Bad");
    if (bad.contents) addFile("Bad.plist", bad.contents);
    addLibrary("Good");
    addFile("Good.plist", kSpringBoardFilter);

    EXPECT_EQ(load(), (std::vector<std::string>{"Good.dylib"}));
    const auto skipped = linesContaining("skipping Bad.dylib");
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_NE(skipped[0].find(bad.reason), std::string::npos) << skipped[0];
    EXPECT_TRUE(linesContaining("probe loaded: Bad.dylib").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Filters, UnusableFilter,
    testing::Values(
        BadFilter{"Missing", nullptr, "no filter"}, BadFilter{"Empty", "", "no property list"},
        BadFilter{"Garbage", "this is not a property list {", "no property list"},
        BadFilter{"EmptyDictionary", "<plist version=\"1.0\"><dict/></plist>", "names no bundles"},
        BadFilter{"ArrayRoot", "<plist version=\"1.0\"><array/></plist>", "names no bundles"},
        BadFilter{"ExecutablesOnly", kExecutablesOnlyFilter, "names no bundles"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExtensionLoader, ALibraryThatFailsToLoadIsLoggedWithTheReasonAndSkipped) {
    addFile("Broken.dylib", "not a library at all");
    addFile("Broken.plist", kSpringBoardFilter);
    addLibrary("Good");
    addFile("Good.plist", kSpringBoardFilter);

    EXPECT_EQ(load(), (std::vector<std::string>{"Good.dylib"}));
    const auto failed = linesContaining("Broken.dylib failed to load");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_GT(failed[0].size(),
              std::string("MobileSubstrate: Broken.dylib failed to load: ").size())
        << "carries the loader's reason";
}

TEST_F(ExtensionLoader, AMissingFolderLoadsNothing) {
    fs::remove_all(folder);
    EXPECT_TRUE(load().empty());
    EXPECT_EQ(linesContaining("no extensions folder").size(), 1u);
}

}  // namespace
