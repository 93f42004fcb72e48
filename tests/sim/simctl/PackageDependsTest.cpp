// A package's Depends against what a device has: versions in dpkg's order, alternatives, the
// firmware range, and fields that cannot be read.
#include <gtest/gtest.h>
#include <sim/simctl/PackageDepends.h>
#include <sim/simctl/Simctl.h>

#include <ostream>

namespace {

using simctl::InstalledPackages;

const char* const kVigilantDepends = "mobilesubstrate, firmware (>= 2.0), firmware (<< 5.0)";

InstalledPackages phone(const std::string& firmware) {
    return {{"mobilesubstrate", "0.9.3229"}, {"firmware", firmware}};
}

struct DependsCase {
    const char* name;
    const char* field;
    InstalledPackages device;
    std::vector<std::string> unmet;
};

void PrintTo(const DependsCase& c, std::ostream* out) { *out << c.name; }

class Depends : public testing::TestWithParam<DependsCase> {};

TEST_P(Depends, NamesWhatTheDeviceLacks) {
    EXPECT_EQ(simctl::unmetDepends(GetParam().field, GetParam().device), GetParam().unmet);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Depends,
    testing::Values(
        DependsCase{"Satisfied", kVigilantDepends, phone("3.1.3"), {}},
        DependsCase{"LowestSupported", kVigilantDepends, phone("2.0"), {}},
        DependsCase{"LastOfIOS4", kVigilantDepends, phone("4.3.5"), {}},
        DependsCase{"FirmwareTooNew",
                    kVigilantDepends,
                    phone("5.0"),
                    {"it depends on firmware (<< 5.0), but the device has firmware 5.0"}},
        DependsCase{"FirmwareTooOld",
                    kVigilantDepends,
                    phone("1.1.4"),
                    {"it depends on firmware (>= 2.0), but the device has firmware 1.1.4"}},
        DependsCase{"MissingPackage",
                    kVigilantDepends,
                    {{"firmware", "3.1.3"}},
                    {"it depends on mobilesubstrate, but the device has no mobilesubstrate"}},
        DependsCase{"EverythingMissingIsNamed",
                    kVigilantDepends,
                    {},
                    {"it depends on mobilesubstrate, but the device has no mobilesubstrate",
                     "it depends on firmware (>= 2.0), but the device has no firmware",
                     "it depends on firmware (<< 5.0), but the device has no firmware"}},
        // Numbers compare as numbers, an epoch outweighs the rest, "~" sorts before the end.
        DependsCase{"DpkgOrderNumbers", "firmware (>> 4.9)", phone("4.10"), {}},
        DependsCase{"DpkgOrderEpoch",
                    "mobilesubstrate (>= 1:0.1)",
                    phone("3.1.3"),
                    {"it depends on mobilesubstrate (>= 1:0.1), but the device has "
                     "mobilesubstrate 0.9.3229"}},
        DependsCase{"DpkgOrderTilde", "firmware (<< 5.0)", phone("5.0~b1"), {}},
        DependsCase{"ExactVersion", "mobilesubstrate (= 0.9.3229)", phone("3.1.3"), {}},
        DependsCase{"AlternativeTaken", "cydiasubstrate | mobilesubstrate", phone("3.1.3"), {}},
        DependsCase{"NoAlternativeTaken",
                    "cydiasubstrate | mobilesubstrate (>= 1.0)",
                    phone("3.1.3"),
                    {"it depends on cydiasubstrate | mobilesubstrate (>= 1.0), but the device "
                     "has no cydiasubstrate, mobilesubstrate 0.9.3229"}},
        DependsCase{"FoldedOverLines", "mobilesubstrate,\n firmware (>=2.0)", phone("2.2.1"), {}},
        DependsCase{"Empty", "  ", {}, {}}),
    [](const testing::TestParamInfo<DependsCase>& info) { return info.param.name; });

struct MalformedCase {
    const char* name;
    const char* field;
    const char* says;
};

void PrintTo(const MalformedCase& c, std::ostream* out) { *out << c.name; }

class MalformedDepends : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedDepends, IsRefusedSayingWhatCannotBeRead) {
    try {
        simctl::unmetDepends(GetParam().field, phone("3.1.3"));
        ADD_FAILURE() << "taken: " << GetParam().field;
    } catch (const simctl::CommandError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().says), std::string::npos)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedDepends,
    testing::Values(MalformedCase{"ObsoleteRelation", "firmware (< 5.0)",
                                  "cannot read \"firmware (< 5.0)\""},
                    MalformedCase{"NoVersion", "firmware (>= )", "cannot read \"firmware (>= )\""},
                    MalformedCase{"VersionWithoutDigit", "firmware (>= five)", "cannot read"},
                    MalformedCase{"EmptyRevision", "firmware (>= 2.0-)", "cannot read"},
                    MalformedCase{"SpaceInName", "mobile substrate", "cannot read"},
                    MalformedCase{"TrailingComma", "mobilesubstrate,", "an empty entry"},
                    MalformedCase{"EmptyAlternative", "a1 | | mobilesubstrate", "an empty entry"},
                    MalformedCase{"UnclosedParenthesis", "firmware (>= 2.0", "cannot read"}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return info.param.name; });

}  // namespace
