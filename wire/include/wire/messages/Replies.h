// The replies that several requests share.
#pragma once

#include <wire/Message.h>

#include <cstdint>
#include <optional>
#include <string>

namespace wire {

// {ok: true} for a request that brings nothing back, {ok: false, error} for one refused.
struct Reply {
    WIRE_FIELDS((bool, ok, false), (std::optional<std::string>, error))

    static Reply accepted() { return {true, std::nullopt}; }
    static Reply refused(std::string why) { return {false, std::move(why)}; }
};

// {ok: true, pid}: the process that serves (ping) or that was started (launch).
struct PidReply {
    WIRE_FIELDS((bool, ok, false), (int64_t, pid, 0))
};

}  // namespace wire
