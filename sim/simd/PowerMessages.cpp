#include "PowerMessages.h"

#include <cstdio>

namespace sim {

std::string powerMessageName(uint32_t message) {
    switch (message) {
        case kCanSystemSleep:
            return "kIOMessageCanSystemSleep";
        case kSystemWillSleep:
            return "kIOMessageSystemWillSleep";
        case kSystemWillNotSleep:
            return "kIOMessageSystemWillNotSleep";
        case kSystemHasPoweredOn:
            return "kIOMessageSystemHasPoweredOn";
        default: {
            char text[16];
            std::snprintf(text, sizeof text, "0x%08X", message);
            return text;
        }
    }
}

std::optional<uint32_t> powerMessageFromWord(const std::string& word) {
    if (word == "can-sleep") return kCanSystemSleep;
    if (word == "will-sleep") return kSystemWillSleep;
    if (word == "powered-on") return kSystemHasPoweredOn;
    return std::nullopt;
}

bool powerMessageWantsAnswer(uint32_t message) {
    return message == kCanSystemSleep || message == kSystemWillSleep;
}

}  // namespace sim
