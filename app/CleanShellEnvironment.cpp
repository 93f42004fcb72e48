#include "CleanShellEnvironment.h"

#include <unistd.h>

#include <cstdlib>

CleanShellEnvironment::CleanShellEnvironment() : saved_(environ) {
    entries_.emplace_back(kPath);
    // The device's root is how a command reaches the simulated device; it is a path the
    // device set, not something a shell acts on.
    if (const char* root = std::getenv("SIMDEVICE_ROOT"); root && *root)
        entries_.push_back(std::string("SIMDEVICE_ROOT=") + root);
    for (auto& entry : entries_) pointers_.push_back(entry.data());
    pointers_.push_back(nullptr);
    environ = pointers_.data();
}

CleanShellEnvironment::~CleanShellEnvironment() { environ = saved_; }
