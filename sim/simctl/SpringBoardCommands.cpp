// notify, alert: forwarded to SpringBoard's socket; its reply is printed as JSON. respring:
// simd ends SpringBoard and starts it again.
#include <sim/simd/PlistJson.h>
#include <wire/messages/Device.h>
#include <wire/messages/SpringBoard.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "CommandLine.h"
#include "Commands.h"
#include "Simctl.h"

namespace simctl {

namespace {

// The root of a booted device that is awake; a CommandError otherwise.
std::string awakeDeviceRoot(const std::string& dir) {
    const std::string root = deviceRoot(dir);
    requireBooted(root, dir);
    if (askSimdJson(root, wire::Status{}).value("power", "") == "asleep")
        throw CommandError(dir + ": the device is asleep and SpringBoard with it (simctl wake " +
                           dir + ")");
    return root;
}

// Sends `request` to SpringBoard and prints its reply as JSON, as it came.
template <wire::Request Request>
int askSpringBoard(const std::string& dir, const Request& request) {
    const std::string root = awakeDeviceRoot(dir);
    const base::LocalSocket springBoard = openService(root, wire::kSpringBoardService);
    if (!springBoard) throw CommandError(dir + ": SpringBoard is not running on the device");
    const auto answer = exchange(springBoard, wire::encode(request), 15000);
    if (!answer) throw CommandError(dir + ": SpringBoard did not answer");
    std::printf("%s\n", simd::plistToJson(answer.get()).dump(2).c_str());
    const wire::Reply reply = wire::decode<wire::Reply>(*answer);
    if (!reply.ok) {
        std::fprintf(stderr, "simctl: SpringBoard refused: %s\n",
                     reply.error.value_or("no reason given").c_str());
        return 1;
    }
    return 0;
}

struct NotifyOptions {
    std::string dir, app, fireIn, repeat, body, launchImage;
    bool cancelAll = false;
};

int notifyCommand(const NotifyOptions& options) {
    if (options.cancelAll)
        return askSpringBoard(options.dir, wire::CancelNotifications{options.app, std::nullopt});
    if (options.fireIn.empty())
        throw UsageError("notify needs --fire-in SECONDS (a non-negative number)");
    wire::NotifyRequest notify;
    notify.app = options.app;
    notify.fireIn = std::strtod(options.fireIn.c_str(), nullptr);
    if (!options.repeat.empty()) notify.repeat = {true, options.repeat};
    notify.body = options.body;
    if (!options.launchImage.empty()) notify.launchImage = options.launchImage;
    return askSpringBoard(options.dir, notify);
}

struct AlertOptions {
    std::string dir, body, launchImage;
    bool plain = false;
};

int alertCommand(const AlertOptions& options) {
    wire::AlertRequest alert;
    alert.body = options.body;
    if (!options.launchImage.empty()) alert.launchImage = options.launchImage;
    alert.plain = options.plain;
    return askSpringBoard(options.dir, alert);
}

int respringCommand(const std::string& dir) {
    const std::string root = awakeDeviceRoot(dir);
    // SpringBoard's grace after SIGTERM and its start-up, on a loaded machine.
    constexpr int kRespringTimeoutMs = 90000;
    const auto reply = askSimd<wire::RespringReply>(root, wire::Respring{}, kRespringTimeoutMs);
    if (reply.oldPid)
        std::printf("SpringBoard of %s restarted: pid %lld ended, pid %lld started\n", dir.c_str(),
                    static_cast<long long>(*reply.oldPid), static_cast<long long>(reply.newPid));
    else
        std::printf("SpringBoard of %s started: pid %lld (none was running)\n", dir.c_str(),
                    static_cast<long long>(reply.newPid));
    return 0;
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
        "Has SpringBoard present an alert now: a local notification's alert\n"
        "(SBRemoteLocalNotificationAlert), or with --plain a system alert (SBSystemAlertItem).\n"
        "A system alert has no alertLaunchImage, so --launch-image is not shown through it.",
        [alerted] { return alertCommand(*alerted); });
    addDeviceFolder(alert, alerted->dir);
    alert.add_option("--body", alerted->body, "its text")->required()->type_name("TEXT");
    alert.add_option("--launch-image", alerted->launchImage, "its launch image")->type_name("NAME");
    alert.add_flag("--plain", alerted->plain,
                   "a system alert (SBSystemAlertItem) instead of a notification's alert");

    line.addDeviceCommand(
        "respring", "end SpringBoard and have launchd start it again",
        "Ends the booted device's SpringBoard (SIGTERM, SIGKILL after a grace) and starts it\n"
        "again, as launchd does after a crash or a settings change. The new SpringBoard starts\n"
        "with an empty status bar, loads its extensions again and keeps the booked local\n"
        "notifications; the other processes of the device live on and reach it on their next\n"
        "call. Logged as respring (old and new pid).",
        respringCommand);
}

}  // namespace simctl
