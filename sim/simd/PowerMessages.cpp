#include "PowerMessages.h"

#include <IOKit/IOMessage.h>

#include <cstdio>

namespace simd {

std::string powerMessageName(uint32_t message) {
    if (const char* name = IOMessageNameOf(message)) return name;
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", message);
    return text;
}

std::optional<uint32_t> powerMessageFromWord(const std::string& word) {
    if (word == "can-sleep") return kIOMessageCanSystemSleep;
    if (word == "will-sleep") return kIOMessageSystemWillSleep;
    if (word == "powered-on") return kIOMessageSystemHasPoweredOn;
    return std::nullopt;
}

bool powerMessageWantsAnswer(uint32_t message) {
    return message == kIOMessageCanSystemSleep || message == kIOMessageSystemWillSleep;
}

}  // namespace simd
