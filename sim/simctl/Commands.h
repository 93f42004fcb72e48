// simctl's commands, added to its command line by the file that runs them.
#pragma once

namespace simctl {

class CommandLine;

void addLifecycleCommands(CommandLine& line);    // create, install, boot, shutdown
void addStatusCommands(CommandLine& line);       // status, log
void addPowerCommands(CommandLine& line);        // power, sleep, wake
void addDefaultsCommand(CommandLine& line);      // defaults
void addProcessCommands(CommandLine& line);      // spawn, launch
void addSpringBoardCommands(CommandLine& line);  // notify, alert, respring
void addTimeCommands(CommandLine& line);         // set-time, set-timezone
void addBatteryCommand(CommandLine& line);       // battery

}  // namespace simctl
