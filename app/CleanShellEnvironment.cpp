#include "CleanShellEnvironment.h"

#include <unistd.h>

CleanShellEnvironment::CleanShellEnvironment() : saved_(environ) {
    entries_.emplace_back(kPath);
    for (auto& entry : entries_) pointers_.push_back(entry.data());
    pointers_.push_back(nullptr);
    environ = pointers_.data();
}

CleanShellEnvironment::~CleanShellEnvironment() { environ = saved_; }
