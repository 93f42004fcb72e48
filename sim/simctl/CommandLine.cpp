#include "CommandLine.h"

#include <wire/DeviceLimits.h>
#include <wire/DeviceTime.h>
#include <wire/DeviceZone.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "Simctl.h"

namespace simctl {

namespace {

constexpr int kUsageStatus = 64;  // EX_USAGE, as simctl has always answered a bad line

// Usage lines that spell the whole way to a nested command, the positionals of its parents
// included ("simctl defaults DIR write ..."), where CLI11 would name the commands alone.
class UsageFormatter : public CLI::Formatter {
  public:
    std::string make_usage(const CLI::App* app, std::string) const override {
        std::string path = app->get_name();
        for (const CLI::App* parent = app->get_parent(); parent; parent = parent->get_parent()) {
            std::string positionals;
            for (const CLI::Option* option :
                 parent->get_options([](const CLI::Option* o) { return o->get_positional(); }))
                positionals += " " + option->get_name();
            path = parent->get_name() + positionals + " " + path;
        }
        return CLI::Formatter::make_usage(app, path);
    }
};

std::optional<double> finiteNumber(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

// The first word that no command or option took, in the commands given; empty when none.
std::string firstStray(const CLI::App& app) {
    const std::vector<std::string> stray = app.remaining();
    if (!stray.empty()) return stray.front();
    for (const CLI::App* command : app.get_subcommands())
        if (std::string word = firstStray(*command); !word.empty()) return word;
    return {};
}

}  // namespace

CommandLine::CommandLine() : app_("Creates, boots and inspects simulated devices.", "simctl") {
    auto formatter = std::make_shared<UsageFormatter>();
    formatter->label("SUBCOMMAND", "COMMAND");
    app_.formatter(formatter);  // commands added later inherit it
    app_.footer("Run \"simctl COMMAND --help\" for a command's details.");
    // One command a line: a later word that names a command is an argument of the first.
    app_.require_subcommand(0, 1);
    // A repeated option counts as given last, as it always has.
    app_.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    // "simctl help" is what "simctl --help" is.
    addCommand("help", "", "", [this] {
        std::fputs(simctlHelp().c_str(), stdout);
        return 0;
    }).group("");
}

CLI::App& CommandLine::addCommand(const std::string& name, const std::string& summary,
                                  const std::string& details, std::function<int()> run) {
    CLI::App* command = app_.add_subcommand(name, summary);
    command->group("Commands");
    if (!details.empty()) command->footer(details);
    commands_.push_back({command, std::move(run)});
    return *command;
}

void CommandLine::noteInHelp(const std::string& text) {
    app_.footer(app_.get_footer() + "\n" + text);
}

std::string CommandLine::simctlHelp() const {
    // app_.help() would give the help of the command parsed, "help" itself included.
    return app_.get_formatter()->make_help(&app_, app_.get_name(), CLI::AppFormatMode::Normal);
}

CLI::App& CommandLine::addDeviceCommand(const std::string& name, const std::string& summary,
                                        const std::string& details,
                                        std::function<int(const std::string& dir)> run) {
    auto dir = std::make_shared<std::string>();
    CLI::App& command =
        addCommand(name, summary, details, [dir, run = std::move(run)] { return run(*dir); });
    addDeviceFolder(command, *dir);
    return command;
}

const CommandLine::Command* CommandLine::chosen() const {
    for (const Command& command : commands_)
        if (command.app->parsed()) return &command;
    return nullptr;
}

int CommandLine::run(int argc, const char* const* argv) {
    if (argc < 2) {
        std::fputs(simctlHelp().c_str(), stderr);
        return kUsageStatus;
    }
    try {
        app_.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app_.help().c_str(), stdout);  // the help of the command named, if any
        return 0;
    } catch (const CLI::ParseError& error) {
        return usageError(error);
    }
    const Command* command = chosen();
    if (!command) {
        std::fputs(simctlHelp().c_str(), stderr);
        return kUsageStatus;
    }
    const char* name = command->app->get_name().c_str();
    try {
        return command->run();
    } catch (const UsageError& e) {
        std::fprintf(stderr, "simctl %s: %s (simctl %s --help)\n", name, e.what(), name);
        return kUsageStatus;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "simctl %s: %s\n", name, e.what());
        return 1;
    }
}

int CommandLine::usageError(const CLI::ParseError& error) const {
    const std::vector<std::string> beforeAnyCommand = app_.remaining();
    const Command* command = chosen();
    if (!beforeAnyCommand.empty() || !command) {
        if (beforeAnyCommand.empty())
            std::fputs(simctlHelp().c_str(), stderr);
        else
            std::fprintf(stderr, "simctl: unknown command \"%s\" (simctl --help lists them)\n",
                         beforeAnyCommand.front().c_str());
        return kUsageStatus;
    }
    // A word that nothing took says more than what went missing because of it.
    const std::string stray = firstStray(*command->app);
    const std::string message = stray.empty() ? error.what() : "unknown argument " + stray;
    const char* name = command->app->get_name().c_str();
    std::fprintf(stderr, "simctl %s: %s (simctl %s --help)\n", name, message.c_str(), name);
    return kUsageStatus;
}

CLI::Option* addDeviceFolder(CLI::App& command, std::string& dir) {
    return command.add_option("DIR", dir, "the device's folder")->required()->type_name("");
}

CLI::Validator valueCheck(std::function<bool(const std::string&)> accepts, std::string wanted) {
    return CLI::Validator(
        [accepts = std::move(accepts), wanted = std::move(wanted)](std::string& text) {
            return accepts(text) ? std::string() : "wants " + wanted + ", not \"" + text + "\"";
        },
        "");
}

CLI::Validator numberWithin(std::function<bool(double)> accepts, std::string wanted) {
    return valueCheck(
        [accepts = std::move(accepts)](const std::string& text) {
            const std::optional<double> value = finiteNumber(text);
            return value && accepts(*value);
        },
        std::move(wanted));
}

CLI::Validator positiveNumber() {
    return numberWithin([](double value) { return value > 0; }, "a positive number");
}

CLI::Validator nonNegativeNumber() {
    return numberWithin([](double value) { return value >= 0; }, "a non-negative number");
}

CLI::Validator knownZoneCheck() {
    return valueCheck(wire::knownZone, "a zone of the tz database such as Europe/Berlin");
}

CLI::Validator deviceTimeCheck() {
    return valueCheck(
        [](const std::string& time) {
            const std::optional<double> parsed = wire::parseDeviceTime(time);
            return parsed && wire::limits::clockTimeAccepted(*parsed);
        },
        "\"YYYY-MM-DD HH:MM:SS\" in the years " + wire::limits::clockYears());
}

}  // namespace simctl
