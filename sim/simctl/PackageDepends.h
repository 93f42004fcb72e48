// A package's Depends field against what the device has, with dpkg's rules: clauses separated
// by commas, each satisfied by any of its alternatives separated by "|", each a package name
// with an optional "(RELATION VERSION)", RELATION one of <<, <=, =, >=, >>. Versions are
// compared by dpkg itself (`dpkg --compare-versions`), so the order is the phone's.
#pragma once

#include <string>
#include <vector>

#include "DpkgStatus.h"

namespace simctl {

struct Dependency {
    std::string package;
    std::string relation;  // empty: any version will do
    std::string version;
};
using DependsClause = std::vector<Dependency>;  // alternatives

// The clauses of `field`; a CommandError saying what cannot be read when it is malformed.
std::vector<DependsClause> parseDepends(const std::string& field);

// Why `installed` does not satisfy `field`, one sentence per clause it fails ("it depends on
// firmware (<< 5.0), but the device has firmware 5.0"); empty when it satisfies it. A
// CommandError when the field is malformed.
std::vector<std::string> unmetDepends(const std::string& field, const InstalledPackages& installed);

}  // namespace simctl
