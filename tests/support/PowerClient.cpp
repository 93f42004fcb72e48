// A device program registered for system power messages, for the end-to-end tests and the
// round-trip benchmark. It answers the sleep questions by the policy its arguments give, logs
// every message it hears (NSLog, so the device's event log shows it) and runs until SIGTERM.
#include <AppSupport/AppSupport.h>
#include <Foundation/Foundation.h>
#include <IOKit/IOMessage.h>
#include <IOKit/pwr_mgt/IOPMLib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kUsage[] =
    "usage: sim_power_client [--answers LIST] [--quiet] [--book-wake-in SECONDS [--id NAME]]\n"
    "                        [--book-only]\n"
    "Registers for system power messages and answers them until ended by a signal.\n"
    "  --answers LIST        answers to successive kIOMessageCanSystemSleep questions, e.g.\n"
    "                        cancel,allow; the last one repeats (default: allow)\n"
    "  --quiet               log only the registration, not every message (for benchmarks)\n"
    "  --book-wake-in SECS   books a system wake-up SECS device seconds from now\n"
    "  --id NAME             the wake-up's identifier (default: sim-power-client)\n"
    "  --book-only           books the wake-up and ends, without registering for power\n";

struct Policy {
    std::vector<bool> allows{true};
    size_t asked = 0;
    bool quiet = false;
    io_connect_t rootPort = 0;

    bool nextAnswer() {
        const bool allow = allows[asked < allows.size() ? asked : allows.size() - 1];
        ++asked;
        return allow;
    }
};

const char* messageName(natural_t type) {
    const char* name = IOMessageNameOf(type);
    return name ? name : "unknown";
}

void powerMessageReceived(void* refcon, io_service_t, natural_t type, void* argument) {
    Policy& policy = *static_cast<Policy*>(refcon);
    const long notification = reinterpret_cast<long>(argument);
    const char* answer = "";
    if (type == kIOMessageCanSystemSleep) {
        const bool allow = policy.nextAnswer();
        answer = allow ? " allow" : " cancel";
        if (allow)
            IOAllowPowerChange(policy.rootPort, notification);
        else
            IOCancelPowerChange(policy.rootPort, notification);
    } else if (type == kIOMessageSystemWillSleep) {
        // The power manager waits for this one; an answer that never comes stalls the sleep.
        answer = " allow";
        IOAllowPowerChange(policy.rootPort, notification);
    }
    if (!policy.quiet) NSLog("power-client: %s %ld%s", messageName(type), notification, answer);
}

bool parseAnswers(const std::string& list, std::vector<bool>* allows) {
    allows->clear();
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string word = list.substr(start, comma - start);
        if (word == "allow")
            allows->push_back(true);
        else if (word == "cancel")
            allows->push_back(false);
        else
            return false;
        start = comma + 1;
    }
    return !allows->empty();
}

bool bookWake(double secondsFromNow, const std::string& identifier) {
    const NSDate when = NSDate::dateWithTimeIntervalSinceNow(secondsFromNow);
    if (!CPScheduleWakeAtDateWithIdentifier(when, identifier)) {
        std::fprintf(stderr, "sim_power_client: the wake-up was not booked\n");
        return false;
    }
    NSLog("power-client: booked a wake-up at %s", when.description().c_str());
    return true;
}

int usageError(const std::string& why) {
    std::fprintf(stderr, "sim_power_client: %s\n%s", why.c_str(), kUsage);
    return 64;
}

}  // namespace

int main(int argc, char* argv[]) {
    static Policy* const policy = new Policy;  // the callback uses it to the end of the process
    double bookIn = -1;
    std::string identifier = "sim-power-client";
    bool bookOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--quiet") {
            policy->quiet = true;
        } else if (arg == "--answers" && hasValue) {
            if (!parseAnswers(argv[++i], &policy->allows))
                return usageError("--answers takes allow and cancel separated by commas");
        } else if (arg == "--book-wake-in" && hasValue) {
            char* end = nullptr;
            bookIn = std::strtod(argv[++i], &end);
            if (!end || *end || bookIn < 0) return usageError("--book-wake-in takes seconds");
        } else if (arg == "--book-only") {
            bookOnly = true;
        } else if (arg == "--id" && hasValue) {
            identifier = argv[++i];
        } else {
            return usageError("unknown or incomplete argument \"" + arg + "\"");
        }
    }

    if (bookOnly) {
        if (bookIn < 0) return usageError("--book-only needs --book-wake-in");
        return bookWake(bookIn, identifier) ? 0 : 1;
    }

    IONotificationPortRef port = nullptr;
    io_object_t notifier = 0;
    policy->rootPort = IORegisterForSystemPower(policy, &port, powerMessageReceived, &notifier);
    if (policy->rootPort == 0) {
        std::fprintf(stderr, "sim_power_client: cannot register for system power\n");
        return 1;
    }
    CFRunLoopAddSource(CFRunLoopGetCurrent(), IONotificationPortGetRunLoopSource(port),
                       kCFRunLoopDefaultMode);
    NSLog("power-client: registered");
    if (bookIn >= 0 && !bookWake(bookIn, identifier)) return 1;
    for (;;) CFRunLoopRunInMode(kCFRunLoopDefaultMode, 3600, false);
}
