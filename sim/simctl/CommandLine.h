// simctl's command line: its commands, their options and help, parsed by CLI11. Each command
// file adds its commands; run() parses a line, runs the command it names and turns every
// failure into one line on stderr and simctl's exit statuses (64 for a usage error, 1 when
// the command fails, 0 for help).
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

namespace simctl {

class CommandLine {
  public:
    CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // A command: `summary` is its line in simctl --help, `details` closes its own --help.
    // `run` is called once the whole line has been parsed; it returns the exit status.
    CLI::App& addCommand(const std::string& name, const std::string& summary,
                         const std::string& details, std::function<int()> run);
    // A command that takes the device's folder alone.
    CLI::App& addDeviceCommand(const std::string& name, const std::string& summary,
                               const std::string& details,
                               std::function<int(const std::string& dir)> run);

    // A line for the close of simctl --help.
    void noteInHelp(const std::string& text);

    int run(int argc, const char* const* argv);

  private:
    struct Command {
        CLI::App* app;
        std::function<int()> run;
    };
    int usageError(const CLI::ParseError& error) const;
    std::string simctlHelp() const;
    const Command* chosen() const;

    CLI::App app_;
    std::vector<Command> commands_;
};

// The DIR that every command but create takes first: the device's folder.
CLI::Option* addDeviceFolder(CLI::App& command, std::string& dir);

// A check of an option's value: `wanted` tells what it must be, so that a value it refuses
// reads "--rate: wants a positive number, not \"0\"".
CLI::Validator valueCheck(std::function<bool(const std::string&)> accepts, std::string wanted);
// A finite number above zero, or not below it.
CLI::Validator positiveNumber();
CLI::Validator nonNegativeNumber();
// A finite number that `accepts` takes.
CLI::Validator numberWithin(std::function<bool(double)> accepts, std::string wanted);
// A zone of the host's tz database by its name, such as Europe/Berlin.
CLI::Validator knownZoneCheck();
// A device time "YYYY-MM-DD HH:MM:SS" (UTC) in the years the device's clock can keep.
CLI::Validator deviceTimeCheck();

}  // namespace simctl
