// The round trip of one sleep question on a booted simulated device, beside a bare Unix-socket
// echo measured in the same run.
//
// How: the real simd runs a device with no idle sleep; the power client (a device program on
// the platform layer, started with `simctl spawn`) registers and allows every question. The
// benchmark asks simd over its socket for one kIOMessageCanSystemSleep round after another, as
// `simctl power DIR can-sleep` does, but on one connection. simd times each round on the host
// clock from sending the message to taking the last answer (`roundTripMicros` in its reply):
// that is the sleep question's round trip (power manager sends, client answers). The whole
// request as seen from outside (request, question, answer, reply) is printed too. The echo is
// a child process sending back frames of the same size over a Unix stream socket pair.
#include <base/LocalSocket.h>
#include <base/PlistFile.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wire/Wire.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "SimE2E.h"

namespace {

constexpr int kQuestions = 1000;
constexpr int kWarmUp = 50;
constexpr int kReplyTimeoutMs = 30000;

using Clock = std::chrono::steady_clock;

struct Figures {
    double median = 0, p99 = 0;
};

Figures figuresOf(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    if (samples.empty()) return {};
    auto at = [&](double q) {
        return samples[std::min(samples.size() - 1, static_cast<size_t>(q * samples.size()))];
    };
    return {at(0.5), at(0.99)};
}

void print(const char* what, const std::vector<double>& samples, const char* unit) {
    const Figures f = figuresOf(samples);
    std::printf("%s: median %.1f us, p99 %.1f us (%zu %s)\n", what, f.median, f.p99, samples.size(),
                unit);
}

// Round trips of `bytes`-long frames through an echoing child process.
std::vector<double> bareEcho(size_t bytes, int count) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pair[0]);
        std::vector<char> frame(bytes);
        while (base::receiveAll(pair[1], frame.data(), bytes) &&
               base::sendAll(pair[1], frame.data(), bytes)) {
        }
        _exit(0);
    }
    close(pair[1]);
    std::vector<char> frame(bytes, 'x'), back(bytes);
    std::vector<double> samples;
    for (int i = 0; i < count + kWarmUp && child > 0; ++i) {
        const auto start = Clock::now();
        if (!base::sendAll(pair[0], frame.data(), bytes) ||
            !base::receiveAll(pair[0], back.data(), bytes))
            break;
        const std::chrono::duration<double, std::micro> spent = Clock::now() - start;
        if (i >= kWarmUp) samples.push_back(spent.count());
    }
    close(pair[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return samples;
}

// The size of one framed power question as simd sends it, for a like-for-like echo.
size_t powerFrameBytes() {
    PList::Dictionary question;
    question.Set("op", PList::String("power"));
    question.Set("message", PList::Integer(static_cast<uint64_t>(0xE0000270)));
    question.Set("argument", PList::Integer(static_cast<uint64_t>(0x1001)));
    return question.ToBin().size() + 4;
}

int fail(const std::string& why) {
    std::fprintf(stderr, "power_roundtrip: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1) {
        std::printf(
            "usage: power_roundtrip\nBoots a simulated device in a temporary folder and prints "
            "the sleep question's round trip beside a bare Unix-socket echo.\n");
        return std::string(argv[1]) == "--help" ? 0 : 64;
    }
    e2e::DeviceSession device("3.1.3");
    if (!device.boot({"--rate", "1", "--idle-sleep", "0"}))
        return fail("the device did not boot: " + device.lastOutput());
    auto client = std::make_unique<sim_e2e::BackgroundSpawn>(
        sim_e2e::simctlPath(), device.root(),
        std::vector<std::string>{sim_e2e::powerClientPath(), "--quiet", "--answers", "allow"},
        device.root() + "/../client.out");
    if (!device.waitForEvents(
            [](const sim_e2e::Events& e) { return sim_e2e::registeredClientPid(e) > 0; },
            sim_e2e::kHostBudget))
        return fail("the power client never registered");

    base::LocalSocket simd = wire::connectToService(device.root(), "simd");
    if (!simd) return fail("cannot reach simd");
    const int fd = simd.get();
    PList::Dictionary probe;
    probe.Set("op", PList::String("power-probe"));
    probe.Set("message", PList::String("can-sleep"));
    std::vector<double> questions, requests;
    for (int i = 0; i < kQuestions + kWarmUp; ++i) {
        const auto start = Clock::now();
        if (!wire::sendMessage(fd, probe)) return fail("simd closed the connection");
        const auto reply = wire::receiveMessageWithin(fd, kReplyTimeoutMs);
        const std::chrono::duration<double, std::micro> spent = Clock::now() - start;
        if (!reply) return fail("simd did not answer question " + std::to_string(i));
        const auto round =
            nlohmann::json::parse(base::stringAt(*reply, "json").value_or(""), nullptr, false);
        if (!round.is_object() || round.value("answers", nlohmann::json::array()).size() != 1 ||
            round["answers"][0].value("answer", "") != "allow")
            return fail("question " + std::to_string(i) + " was not answered: " +
                        base::stringAt(*reply, "json")
                            .value_or(base::stringAt(*reply, "error").value_or("")));
        if (i < kWarmUp) continue;
        questions.push_back(round.value("roundTripMicros", 0.0));
        requests.push_back(spent.count());
    }
    simd.reset();
    const std::vector<double> echo = bareEcho(powerFrameBytes(), kQuestions);
    if (echo.size() != static_cast<size_t>(kQuestions)) return fail("the echo child failed");

    print("sleep question round trip", questions, "questions");
    print("whole request from outside (request, question, answer, reply)", requests, "questions");
    print("bare unix-socket echo", echo, "messages");
    device.shutdown();
    return 0;
}
