// Time from a sleep question's arrival (its descriptor made readable) to the daemon's answer,
// over many questions of both kinds, with the guard active (cancel) and inactive (allow).
// Prints the median and the 99th percentile.
#include <IOKit/pwr_mgt/IOPMLib.h>
#include <backend/Backend.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "Daemon.h"
#include "GuardBenchDevice.h"

using namespace guard_bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kQuestions = 20000;

// The test platform's power service, taking the moment each answer reaches it.
class TimedPower : public platform::PowerService {
  public:
    explicit TimedPower(platform::PowerService& inner) : inner_(inner) {}
    Clock::time_point answeredAt;
    int answers = 0;
    Registration registerForSystemPower() override { return inner_.registerForSystemPower(); }
    bool nextMessage(uint32_t connection, uint32_t* type, long* argument) override {
        return inner_.nextMessage(connection, type, argument);
    }
    Result answer(uint32_t connection, long argument, bool allow) override {
        answeredAt = Clock::now();
        ++answers;
        return inner_.answer(connection, argument, allow);
    }
    Result deregister(uint32_t notifier) override { return inner_.deregister(notifier); }
    Result close(uint32_t connection) override { return inner_.close(connection); }

  private:
    platform::PowerService& inner_;
};

// A test platform whose power service alone is replaced by the timed one.
class TimedDevice : public TestPlatform {
  public:
    TimedDevice() : timed(power()), inUse(timed) {}
    TimedPower timed;

  private:
    platform::ServiceInUse<platform::PowerService> inUse;
};

struct Figures {
    double medianUs, p99Us, maxUs;
};

Figures measure(TimedDevice& device) {
    std::vector<double> micros;
    micros.reserve(kQuestions);
    for (int i = 0; i < kQuestions; ++i) {
        const natural_t code = i % 2 ? kIOMessageSystemWillSleep : kIOMessageCanSystemSleep;
        const int before = device.timed.answers;
        const Clock::time_point arrival = Clock::now();
        device.deliverPowerMessage(code, 0x100 + i);
        if (device.timed.answers != before + 1) {
            std::fprintf(stderr, "question %d was not answered once\n", i);
            return {-1, -1, -1};
        }
        micros.push_back(
            std::chrono::duration<double, std::micro>(device.timed.answeredAt - arrival).count());
    }
    std::sort(micros.begin(), micros.end());
    return {micros[micros.size() / 2], micros[micros.size() * 99 / 100], micros.back()};
}

}  // namespace

int main() {
    struct Case {
        const char* name;
        const char* time;
        Window window;
    } cases[] = {
        {"guard active (answers cancel)", "2026-12-07 17:01:37", {}},
        {"guard inactive (answers allow)", "2026-12-07 12:00:03", {true, 1320, 360}},
    };
    std::printf("%-34s %10s %10s %10s  (%d questions)\n", "state", "median us", "p99 us", "max us",
                kQuestions);
    bool ok = true;
    for (const Case& c : cases) {
        TimedDevice device;
        device.setKeepRecords(false);
        device.installSpringBoardServices(SBS_LIBRARY);
        device.setSystemVersion("3.1.3");
        device.setTime(c.time);
        PList::Dictionary file;
        file.Set("Schedule", PList::Boolean(c.window.on));
        file.Set("ScheduleStart", PList::Integer(static_cast<uint64_t>(c.window.start)));
        file.Set("ScheduleEnd", PList::Integer(static_cast<uint64_t>(c.window.end)));
        device.writeSettings(file);
        device.reloadUserDefaults();
        startDaemon();
        const Figures f = measure(device);
        ok = ok && f.medianUs >= 0;
        std::printf("%-34s %10.2f %10.2f %10.2f\n", c.name, f.medianUs, f.p99Us, f.maxUs);
    }
    return ok ? 0 : 1;
}
