// launchctl's requests to the device's launchd.
#pragma once

#include <wire/Message.h>
#include <wire/messages/Replies.h>

#include <optional>
#include <string>
#include <vector>

namespace wire {

struct JobFileRequest {
    WIRE_FIELDS((std::string, path),  // the job file: a device path, or a host path inside the root
                (bool, persist, false))  // -w: the overrides database keeps the choice
};

// Reply: JobReply.
struct LaunchctlLoad : JobFileRequest {
    static constexpr std::string_view kOp = "launchctl-load";
};

// Reply: JobReply, once the job has ended.
struct LaunchctlUnload : JobFileRequest {
    static constexpr std::string_view kOp = "launchctl-unload";
};

struct JobReply {
    WIRE_FIELDS((bool, ok, false), (std::optional<std::string>, error),  // when !ok
                (std::optional<std::string>, note))  // something worth saying although it worked
};

// Reply: JobListReply.
struct LaunchctlList : NoFields {
    static constexpr std::string_view kOp = "launchctl-list";
};

struct ListedJob {
    WIRE_FIELDS((std::string, label), (std::optional<int64_t>, pid),  // none: not running
                (int64_t, status, 0))  // the last exit status, or minus the signal
};

// The loaded jobs.
struct JobListReply {
    WIRE_FIELDS((bool, ok, false), (std::vector<ListedJob>, jobs))
};

}  // namespace wire
