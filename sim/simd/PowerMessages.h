// The power messages of the root power domain, by the codes and names of IOKit's IOMessage.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace simd {

// "kIOMessageCanSystemSleep" and so on; the code in hex for unknown ones.
std::string powerMessageName(uint32_t message);
// simctl's words: "can-sleep", "will-sleep", "powered-on".
std::optional<uint32_t> powerMessageFromWord(const std::string& word);
// Messages a client answers with IOAllowPowerChange / IOCancelPowerChange.
bool powerMessageWantsAnswer(uint32_t message);

}  // namespace simd
