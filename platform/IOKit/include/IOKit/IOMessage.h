// IOKit's messages of the root power domain, by the names and codes of Apple's IOMessage.h
// (iokit_common_msg(0x270) and so on), for the power interface and whoever speaks its codes.
#pragma once

#include <cstdint>

using IOMessage = uint32_t;

inline constexpr IOMessage kIOMessageCanSystemSleep = 0xE0000270;
inline constexpr IOMessage kIOMessageSystemWillSleep = 0xE0000280;
inline constexpr IOMessage kIOMessageSystemWillNotSleep = 0xE0000290;
inline constexpr IOMessage kIOMessageSystemHasPoweredOn = 0xE0000300;
inline constexpr IOMessage kIOMessageSystemWillPowerOn = 0xE0000320;

// Not in Apple's header: each code with its name, spelled from the constant itself so that
// a name cannot part from its code, for programs that log the messages they see.
struct IOMessageName {
    IOMessage message;
    const char* name;
};

#define VIGILANT_IOMESSAGE_NAMED(constant) \
    IOMessageName { constant, #constant }
inline constexpr IOMessageName kIOMessageNames[] = {
    VIGILANT_IOMESSAGE_NAMED(kIOMessageCanSystemSleep),
    VIGILANT_IOMESSAGE_NAMED(kIOMessageSystemWillSleep),
    VIGILANT_IOMESSAGE_NAMED(kIOMessageSystemWillNotSleep),
    VIGILANT_IOMESSAGE_NAMED(kIOMessageSystemHasPoweredOn),
    VIGILANT_IOMESSAGE_NAMED(kIOMessageSystemWillPowerOn),
};
#undef VIGILANT_IOMESSAGE_NAMED

// "kIOMessageCanSystemSleep" for its code; null for a code not listed.
constexpr const char* IOMessageNameOf(IOMessage message) {
    for (const IOMessageName& entry : kIOMessageNames)
        if (entry.message == message) return entry.name;
    return nullptr;
}
