// simd: started by "simctl boot", never by hand. It boots the device at ROOT and serves it
// until "simctl shutdown" (or SIGTERM).
#include <wire/DeviceTime.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Simd.h"

namespace {

const char* kUsage =
    "usage: simd --root ROOT [--time \"YYYY-MM-DD HH:MM:SS\"] [--rate N] [--idle-sleep S]\n"
    "            [--ready-fd FD]\n"
    "The simulated device's system process (clock, launchd, power manager, event log).\n"
    "It is started by \"simctl boot\"; see simctl --help.\n";

bool number(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end && *end == '\0' && end != text && std::isfinite(out);
}

}  // namespace

int main(int argc, char** argv) {
    sim::SimdOptions options;
    std::string time;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "simd: %s needs a value\n%s", arg.c_str(), kUsage);
            return 64;
        }
        const char* value = argv[++i];
        double n = 0;
        if (arg == "--root") {
            options.root = value;
        } else if (arg == "--time") {
            time = value;
        } else if (arg == "--rate" && number(value, n) && n > 0) {
            options.rate = n;
        } else if (arg == "--idle-sleep" && number(value, n) && n >= 0) {
            options.idleSleep = n;
        } else if (arg == "--ready-fd" && number(value, n) && n >= 0) {
            options.readyFd = static_cast<int>(n);
        } else {
            std::fprintf(stderr, "simd: bad argument %s %s\n%s", arg.c_str(), value, kUsage);
            return 64;
        }
    }
    if (options.root.empty() || options.root.front() != '/') {
        std::fprintf(stderr, "simd: --root must name the device's folder by its absolute path\n");
        return 64;
    }
    if (time.empty()) {
        options.startTime = wire::hostNow() - wire::kReferenceDateSince1970;
    } else if (auto parsed = wire::parseDeviceTime(time)) {
        options.startTime = *parsed;
    } else {
        std::fprintf(stderr, "simd: --time wants \"YYYY-MM-DD HH:MM:SS\", not \"%s\"\n",
                     time.c_str());
        return 64;
    }
    try {
        sim::Simd simd(options);
        return simd.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "simd: %s\n", e.what());
        return 1;
    }
}
