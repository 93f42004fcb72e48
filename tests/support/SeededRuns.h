// Tests that repeat a race with random moments: how many times, and the seed of the moments.
// GUARD_E2E_RUNS asks for another number of runs, GUARD_E2E_SEED repeats a sequence.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

namespace e2e {

inline int runsFromEnvironment(int usual) {
    const char* given = std::getenv("GUARD_E2E_RUNS");
    return given ? std::max(1, std::atoi(given)) : usual;
}

inline unsigned seedFromEnvironment() {
    if (const char* given = std::getenv("GUARD_E2E_SEED"))
        return static_cast<unsigned>(std::stoul(given));
    return std::random_device{}();
}

}  // namespace e2e
