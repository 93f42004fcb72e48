// launchd job files: a property-list dictionary with at least Label (string) and
// ProgramArguments (non-empty array of strings); UserName (string), RunAtLoad and Disabled
// (booleans) are optional. A file that is missing, empty, truncated, not a property list or
// of the wrong types is refused with a reason that names the file's fault.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace simd {

struct JobDefinition {
    std::string label;
    std::vector<std::string> programArguments;  // [0] is the program's device path
    std::string userName = "root";
    bool runAtLoad = false;
    bool disabled = false;  // as the file says; the overrides database has the last word
    std::string hostPath;   // where the file was read
};

struct JobFileResult {
    std::optional<JobDefinition> job;
    std::string error;  // e.g. "Label is missing or not a string"
};

JobFileResult readJobFile(const std::string& hostPath);

}  // namespace simd
