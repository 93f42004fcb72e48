// simctl: creates, boots and inspects simulated devices. See sim/README.md.
#include <cstdio>
#include <map>

#include "Simctl.h"

namespace {

const char* kUsage =
    "usage: simctl COMMAND DIR [ARGS...]\n"
    "Commands:\n"
    "  create DIR [--version V]          lay out a fresh device\n"
    "  install DIR PKG                   install a .deb into the device\n"
    "  boot DIR [--time T] [--rate N] [--idle-sleep S]\n"
    "                                    start the device's services\n"
    "  shutdown DIR                      end every device process\n"
    "  status DIR                        the device's state as JSON\n"
    "  log DIR [--follow]                the event log, one JSON object a line\n"
    "  power DIR can-sleep|will-sleep|powered-on\n"
    "                                    send one power message to the clients\n"
    "  sleep DIR / wake DIR              try to sleep now / wake up\n"
    "  defaults DIR read|write|delete DOMAIN [KEY [-bool|-int|-string VALUE]]\n"
    "  spawn DIR PROGRAM [ARGS...]       run a device program\n"
    "  launch DIR                        start the control app\n"
    "  notify DIR ... / alert DIR ...    talk to SpringBoard\n"
    "Run \"simctl COMMAND --help\" for a command's details.\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace simctl;
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h" ||
        std::string(argv[1]) == "help") {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 64 : 0;
    }
    static const std::map<std::string, int (*)(const Args&)> commands = {
        {"create", createCommand},     {"install", installCommand}, {"boot", bootCommand},
        {"shutdown", shutdownCommand}, {"status", statusCommand},   {"log", logCommand},
        {"power", powerCommand},       {"sleep", sleepCommand},     {"wake", wakeCommand},
        {"defaults", defaultsCommand}, {"spawn", spawnCommand},     {"launch", launchCommand},
        {"notify", notifyCommand},     {"alert", alertCommand}};
    const std::string command = argv[1];
    auto it = commands.find(command);
    if (it == commands.end()) {
        std::fprintf(stderr, "simctl: unknown command \"%s\" (simctl --help lists them)\n",
                     command.c_str());
        return 64;
    }
    Args args(argv + 2, argv + argc);
    // "spawn DIR PROGRAM --help" asks the program, not simctl.
    const bool helpAsked =
        command == "spawn" ? args.size() < 2 && wantsHelp(args) : wantsHelp(args);
    if (helpAsked) {
        std::fputs(commandHelp(command).c_str(), stdout);
        return 0;
    }
    try {
        return it->second(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "simctl %s: %s (simctl %s --help)\n", command.c_str(), e.what(),
                     command.c_str());
        return 64;
    } catch (const CommandError& e) {
        std::fprintf(stderr, "simctl %s: %s\n", command.c_str(), e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "simctl %s: %s\n", command.c_str(), e.what());
        return 1;
    }
}
