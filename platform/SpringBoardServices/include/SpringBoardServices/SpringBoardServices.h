// SpringBoardServices, a private framework that programs open at run time with dlopen. These
// are the shapes of the three functions that Vigilant looks up with dlsym.
#pragma once

#include <cstdint>

using mach_port_t = uint32_t;

inline constexpr const char* kSpringBoardServicesPath =
    "/System/Library/PrivateFrameworks/SpringBoardServices.framework/SpringBoardServices";

extern "C" {
using SBSSpringBoardServerPortFunction = mach_port_t (*)();
using SBAddStatusBarItemFunction = void (*)(mach_port_t port, const char* name, int flags);
using SBRemoveStatusBarItemFunction = void (*)(mach_port_t port, const char* name);
}
