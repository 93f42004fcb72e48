// The argument walk of main: "darwin", whole and case-sensitive, anywhere in argv.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModeSelection.h"

namespace {

struct ModeCase {
    std::vector<const char*> argv;
    bool daemon;
};
// Test names show the case, not its bytes.
void PrintTo(const ModeCase& c, std::ostream* os) {
    for (const char* a : c.argv) *os << "[" << a << "]";
}

class ModeSelection : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ModeSelection, SelectsDaemonModeOnlyForTheExactWord) {
    std::vector<char*> argv;
    for (const char* a : GetParam().argv) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    EXPECT_EQ(argumentsSelectDaemonMode(static_cast<int>(GetParam().argv.size()), argv.data()),
              GetParam().daemon);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModeSelection,
    ::testing::Values(
        ModeCase{{"VigilantPro"}, false}, ModeCase{{"VigilantPro", "darwin"}, true},
        ModeCase{{"darwin"}, true},  // the program's own name counts
        ModeCase{{"VigilantPro", "x", "y", "darwin"}, true},
        ModeCase{{"VigilantPro", "darwin", "more"}, true},
        ModeCase{{"VigilantPro", "Darwin"}, false}, ModeCase{{"VigilantPro", "DARWIN"}, false},
        ModeCase{{"VigilantPro", "darwin "}, false}, ModeCase{{"VigilantPro", " darwin"}, false},
        ModeCase{{"VigilantPro", "-darwin"}, false}, ModeCase{{"VigilantPro", "--darwin"}, false},
        ModeCase{{"VigilantPro", "darwi"}, false}, ModeCase{{"VigilantPro", "darwinx"}, false},
        ModeCase{{"/usr/bin/darwin"}, false}, ModeCase{{"VigilantPro", ""}, false},
        ModeCase{{}, false}));

TEST(ModeSelection, NullElementsAreSkippedAndArgcBoundsTheWalk) {
    char name[] = "VigilantPro";
    char word[] = "darwin";
    char* withNull[] = {name, nullptr, word, nullptr};
    EXPECT_TRUE(argumentsSelectDaemonMode(3, withNull));
    char* beyond[] = {name, word, nullptr};
    EXPECT_FALSE(argumentsSelectDaemonMode(1, beyond));  // "darwin" lies past argc
}

}  // namespace
