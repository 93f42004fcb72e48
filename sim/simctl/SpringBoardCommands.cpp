// notify, alert: forwarded to SpringBoard's socket; its reply is printed as JSON.
#include <unistd.h>
#include <wire/Wire.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "PlistJson.h"
#include "Simctl.h"

namespace simctl {

namespace {

std::string value(const Args& args, size_t& i) {
    if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a value");
    return args[++i];
}

int askSpringBoard(const std::string& root, const std::string& dir, PList::Dictionary& message) {
    requireBooted(root, dir);
    if (askSimdJson(root, "status").value("power", "") == "asleep")
        throw CommandError(dir + ": the device is asleep and SpringBoard with it (simctl wake " +
                           dir + ")");
    const int fd = wire::connectToService(root, "springboard");
    if (fd < 0) throw CommandError(dir + ": SpringBoard is not running on the device");
    std::unique_ptr<PList::Dictionary> answer;
    if (wire::sendMessage(fd, message)) answer = wire::receiveMessageWithin(fd, 15000);
    close(fd);
    if (!answer) throw CommandError(dir + ": SpringBoard did not answer");
    std::printf("%s\n", sim::plistToJson(answer.get()).dump(2).c_str());
    if (!wire::boolField(*answer, "ok")) {
        std::fprintf(stderr, "simctl: SpringBoard refused: %s\n",
                     wire::stringField(*answer, "error", "no reason given").c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int notifyCommand(const Args& args) {
    if (args.empty()) throw UsageError("notify needs a device folder");
    std::string app, body, launchImage, repeat, fireIn;
    bool cancelAll = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--app")
            app = value(args, i);
        else if (a == "--fire-in")
            fireIn = value(args, i);
        else if (a == "--repeat")
            repeat = value(args, i);
        else if (a == "--body")
            body = value(args, i);
        else if (a == "--launch-image")
            launchImage = value(args, i);
        else if (a == "--cancel-all")
            cancelAll = true;
        else
            throw UsageError("unknown argument " + a);
    }
    if (app.empty()) throw UsageError("notify needs --app BUNDLE_ID");
    PList::Dictionary message;
    if (cancelAll) {
        if (!fireIn.empty() || !body.empty() || !repeat.empty() || !launchImage.empty())
            throw UsageError("--cancel-all takes only --app");
        message.Set("op", PList::String("cancel-notifications"));
        message.Set("app", PList::String(app));
    } else {
        char* end = nullptr;
        const double seconds = std::strtod(fireIn.c_str(), &end);
        if (fireIn.empty() || !end || *end != '\0' || !std::isfinite(seconds) || seconds < 0)
            throw UsageError("notify needs --fire-in SECONDS (a non-negative number)");
        if (!repeat.empty() && repeat != "minute")
            throw UsageError("--repeat knows only \"minute\", not \"" + repeat + "\"");
        message.Set("op", PList::String("notify"));
        message.Set("app", PList::String(app));
        message.Set("fireIn", PList::Real(seconds));
        if (!repeat.empty()) message.Set("repeat", PList::String(repeat));
        message.Set("body", PList::String(body));
        if (!launchImage.empty()) message.Set("launchImage", PList::String(launchImage));
    }
    const std::string root = deviceRoot(args[0]);
    return askSpringBoard(root, args[0], message);
}

int alertCommand(const Args& args) {
    if (args.empty()) throw UsageError("alert needs a device folder");
    std::string body, launchImage;
    bool plain = false, haveBody = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--body") {
            body = value(args, i);
            haveBody = true;
        } else if (a == "--launch-image") {
            launchImage = value(args, i);
        } else if (a == "--plain") {
            plain = true;
        } else {
            throw UsageError("unknown argument " + a);
        }
    }
    if (!haveBody) throw UsageError("alert needs --body TEXT");
    PList::Dictionary message;
    message.Set("op", PList::String("alert"));
    message.Set("body", PList::String(body));
    if (!launchImage.empty()) message.Set("launchImage", PList::String(launchImage));
    message.Set("plain", PList::Boolean(plain));
    const std::string root = deviceRoot(args[0]);
    return askSpringBoard(root, args[0], message);
}

}  // namespace simctl
