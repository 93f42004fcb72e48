#include "JobFile.h"

#include <base/PlistFile.h>

namespace simd {

JobFileResult readJobFile(const std::string& hostPath) {
    JobFileResult result;
    base::PlistFile file = base::readPlistFile(hostPath);
    if (file.state == base::PlistFile::State::Missing) {
        result.error = "no such job file";
        return result;
    }
    if (!file.loaded()) {
        result.error = "the job file " + file.error;
        return result;
    }
    const PList::Dictionary* dict = file.dictionary();
    if (!dict) {
        result.error = "the job file is not a dictionary";
        return result;
    }
    JobDefinition job;
    job.hostPath = hostPath;
    const std::optional<std::string> label = base::stringAt(*dict, "Label");
    if (!label || label->empty()) {
        result.error = "the job file's Label is missing or not a string";
        return result;
    }
    job.label = *label;
    if (job.label.find('/') != std::string::npos || job.label.front() == '.') {
        result.error = "the job file's Label \"" + job.label + "\" cannot name a job";
        return result;
    }
    const PList::Array* args = base::arrayAt(*dict, "ProgramArguments");
    if (!args || base::arraySize(*args) == 0) {
        result.error = "the job file's ProgramArguments is missing, empty or not an array";
        return result;
    }
    for (const std::unique_ptr<PList::Node>& arg : base::arrayItems(*args)) {
        if (!arg || arg->GetType() != PLIST_STRING) {
            result.error = "the job file's ProgramArguments holds something that is not a string";
            return result;
        }
        job.programArguments.push_back(static_cast<const PList::String*>(arg.get())->GetValue());
    }
    if (job.programArguments.front().empty() || job.programArguments.front().front() != '/') {
        result.error = "the job file's program is not an absolute device path";
        return result;
    }
    if (const PList::Node* user = base::nodeAt(*dict, "UserName")) {
        if (user->GetType() != PLIST_STRING) {
            result.error = "the job file's UserName is not a string";
            return result;
        }
        job.userName = static_cast<const PList::String*>(user)->GetValue();
    }
    for (auto [key, target] :
         {std::pair{"RunAtLoad", &job.runAtLoad}, std::pair{"Disabled", &job.disabled}}) {
        const PList::Node* node = base::nodeAt(*dict, key);
        if (!node) continue;
        if (node->GetType() != PLIST_BOOLEAN) {
            result.error = std::string("the job file's ") + key + " is not a boolean";
            return result;
        }
        *target = static_cast<const PList::Boolean*>(node)->GetValue();
    }
    result.job = std::move(job);
    return result;
}

}  // namespace simd
