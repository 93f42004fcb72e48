// The systems the guard runs on by launchd, each with the status-bar route SpringBoard names
// in its log: the table of the tests that run on every one of them.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace guard_e2e {

struct System {
    const char* version;
    const char* route;
};

// Names the case in test listings instead of dumping its bytes.
inline void PrintTo(const System& c, std::ostream* out) { *out << c.version; }

inline auto everySystem() {
    return testing::Values(System{"3.1.3", "SpringBoardServices"},
                           System{"2.2.1", "UIApplication"});
}

inline std::string routeName(const testing::TestParamInfo<System>& info) {
    return std::string(info.param.route) + "Route";
}

}  // namespace guard_e2e
