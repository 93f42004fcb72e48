// notify, alert: forwarded to SpringBoard's socket; its reply is printed as JSON.
#include <wire/Wire.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "CommandLine.h"
#include "Commands.h"
#include "PlistJson.h"
#include "Simctl.h"

namespace simctl {

namespace {

int askSpringBoard(const std::string& root, const std::string& dir, PList::Dictionary& message) {
    requireBooted(root, dir);
    if (askSimdJson(root, "status").value("power", "") == "asleep")
        throw CommandError(dir + ": the device is asleep and SpringBoard with it (simctl wake " +
                           dir + ")");
    const base::ScopedFd springBoard = openService(root, "springboard");
    if (!springBoard) throw CommandError(dir + ": SpringBoard is not running on the device");
    std::unique_ptr<PList::Dictionary> answer;
    if (wire::sendMessage(springBoard.get(), message))
        answer = wire::receiveMessageWithin(springBoard.get(), 15000);
    if (!answer) throw CommandError(dir + ": SpringBoard did not answer");
    std::printf("%s\n", sim::plistToJson(answer.get()).dump(2).c_str());
    if (!wire::boolField(*answer, "ok")) {
        std::fprintf(stderr, "simctl: SpringBoard refused: %s\n",
                     wire::stringField(*answer, "error", "no reason given").c_str());
        return 1;
    }
    return 0;
}

struct NotifyOptions {
    std::string dir, app, fireIn, repeat, body, launchImage;
    bool cancelAll = false;
};

int notifyCommand(const NotifyOptions& options) {
    PList::Dictionary message;
    if (options.cancelAll) {
        message.Set("op", PList::String("cancel-notifications"));
        message.Set("app", PList::String(options.app));
    } else {
        if (options.fireIn.empty())
            throw UsageError("notify needs --fire-in SECONDS (a non-negative number)");
        message.Set("op", PList::String("notify"));
        message.Set("app", PList::String(options.app));
        message.Set("fireIn", PList::Real(std::strtod(options.fireIn.c_str(), nullptr)));
        if (!options.repeat.empty()) message.Set("repeat", PList::String(options.repeat));
        message.Set("body", PList::String(options.body));
        if (!options.launchImage.empty())
            message.Set("launchImage", PList::String(options.launchImage));
    }
    const std::string root = deviceRoot(options.dir);
    return askSpringBoard(root, options.dir, message);
}

struct AlertOptions {
    std::string dir, body, launchImage;
    bool plain = false;
};

int alertCommand(const AlertOptions& options) {
    PList::Dictionary message;
    message.Set("op", PList::String("alert"));
    message.Set("body", PList::String(options.body));
    if (!options.launchImage.empty())
        message.Set("launchImage", PList::String(options.launchImage));
    message.Set("plain", PList::Boolean(options.plain));
    const std::string root = deviceRoot(options.dir);
    return askSpringBoard(root, options.dir, message);
}

}  // namespace

void addSpringBoardCommands(CommandLine& line) {
    auto notified = std::make_shared<NotifyOptions>();
    CLI::App& notify = line.addCommand(
        "notify", "book or cancel a local notification",
        "usage: simctl notify DIR --app BUNDLE_ID --fire-in SECONDS [--repeat minute]\n"
        "                        --body TEXT [--launch-image NAME]\n"
        "       simctl notify DIR --app BUNDLE_ID --cancel-all\n"
        "Books a local notification with SpringBoard (or cancels an app's notifications).",
        [notified] { return notifyCommand(*notified); });
    addDeviceFolder(notify, notified->dir);
    notify.add_option("--app", notified->app, "the app it is booked for")
        ->required()
        ->type_name("BUNDLE_ID");
    CLI::Option* fireIn =
        notify.add_option("--fire-in", notified->fireIn, "device seconds until it fires")
            ->type_name("SECONDS")
            ->check(nonNegativeNumber());
    CLI::Option* repeat =
        notify.add_option("--repeat", notified->repeat, "fire again every minute")
            ->type_name("minute")
            ->check(valueCheck([](const std::string& repeat) { return repeat == "minute"; },
                               "\"minute\" (the one repeat there is)"));
    CLI::Option* body = notify.add_option("--body", notified->body, "its text")->type_name("TEXT");
    CLI::Option* launchImage =
        notify.add_option("--launch-image", notified->launchImage, "its launch image")
            ->type_name("NAME");
    notify.add_flag("--cancel-all", notified->cancelAll, "cancel the app's notifications instead")
        ->excludes(fireIn)
        ->excludes(repeat)
        ->excludes(body)
        ->excludes(launchImage);

    auto alerted = std::make_shared<AlertOptions>();
    CLI::App& alert = line.addCommand(
        "alert", "have SpringBoard present an alert",
        "Has SpringBoard present an alert now; --plain makes it one without a launch image.",
        [alerted] { return alertCommand(*alerted); });
    addDeviceFolder(alert, alerted->dir);
    alert.add_option("--body", alerted->body, "its text")->required()->type_name("TEXT");
    alert.add_option("--launch-image", alerted->launchImage, "its launch image")->type_name("NAME");
    alert.add_flag("--plain", alerted->plain, "without a launch image");
}

}  // namespace simctl
