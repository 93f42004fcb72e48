// simctl: creates, boots and inspects simulated devices. See sim/README.md.
#include "CommandLine.h"
#include "Commands.h"

int main(int argc, char** argv) {
    using namespace simctl;
    CommandLine line;
    // In the order simctl --help lists them.
    addLifecycleCommands(line);
    addStatusCommands(line);
    addPowerCommands(line);
    addDefaultsCommand(line);
    addProcessCommands(line);
    addSpringBoardCommands(line);
    addTimeCommands(line);
    addBatteryCommand(line);
    return line.run(argc, argv);
}
