#include <map>

#include "Simctl.h"

namespace simctl {

std::string commandHelp(const std::string& command) {
    static const std::map<std::string, std::string> help = {
        {"create",
         "usage: simctl create DIR [--version V]\n"
         "Lays out a fresh device root at DIR (absent or empty) with system version V (default\n"
         "3.1.3) and copies the build tree's firmware into it.\n"},
        {"install",
         "usage: simctl install DIR PKG\n"
         "Installs the Debian package PKG into the device's root with dpkg-deb; the installed\n"
         "files are listed in var/lib/dpkg/info/NAME.list, so installing again replaces them.\n"},
        {"boot",
         "usage: simctl boot DIR [--time \"YYYY-MM-DD HH:MM:SS\"] [--rate N] [--idle-sleep S]\n"
         "Starts the device's services (launchd, SpringBoard, the power manager) and returns\n"
         "once they take requests. --time sets the wall clock (UTC; default: the host's),\n"
         "--rate runs device time N times real time, --idle-sleep is the idle time in device\n"
         "seconds before the power manager tries to sleep (default 30; 0: never on its own).\n"},
        {"shutdown",
         "usage: simctl shutdown DIR\n"
         "Ends the jobs with SIGTERM (SIGKILL after their grace period), then every other\n"
         "device process, then the services; no process is left behind.\n"},
        {"status",
         "usage: simctl status DIR\n"
         "Prints the device's state as one JSON object: version, time, power, statusBar, jobs,\n"
         "wakeRequests, notifications, alerts, and more.\n"},
        {"log",
         "usage: simctl log DIR [--follow]\n"
         "Prints the device's event log, one JSON object a line; --follow keeps printing new\n"
         "events until interrupted.\n"},
        {"power",
         "usage: simctl power DIR can-sleep|will-sleep|powered-on\n"
         "Sends that one power message to every registered client now and prints the answers.\n"},
        {"sleep",
         "usage: simctl sleep DIR\n"
         "Makes the sleep attempt the idle timer would make and prints how it ended.\n"},
        {"wake",
         "usage: simctl wake DIR\n"
         "Wakes the device as if the user pressed the button (awake: restarts the idle time).\n"},
        {"defaults",
         "usage: simctl defaults DIR read DOMAIN [KEY]\n"
         "       simctl defaults DIR write DOMAIN KEY [-bool|-int|-string] VALUE\n"
         "       simctl defaults DIR delete DOMAIN [KEY]\n"
         "Reads and writes the preferences of the device user root\n"
         "(var/root/Library/Preferences/DOMAIN.plist) as the defaults tool does.\n"},
        {"spawn",
         "usage: simctl spawn DIR PROGRAM [ARGS...]\n"
         "Runs PROGRAM (a device path such as /bin/launchctl) as a device process; its output\n"
         "goes to stdout and its exit status is simctl's.\n"},
        {"launch",
         "usage: simctl launch DIR\n"
         "Starts the control app (/Applications/VigilantPro.app) in the background as a device\n"
         "process and prints its pid.\n"},
        {"notify",
         "usage: simctl notify DIR --app BUNDLE_ID --fire-in SECONDS [--repeat minute]\n"
         "                        --body TEXT [--launch-image NAME]\n"
         "       simctl notify DIR --app BUNDLE_ID --cancel-all\n"
         "Books a local notification with SpringBoard (or cancels an app's notifications).\n"},
        {"alert",
         "usage: simctl alert DIR --body TEXT [--launch-image NAME] [--plain]\n"
         "Has SpringBoard present an alert now; --plain makes it one without a launch image.\n"},
    };
    auto it = help.find(command);
    return it == help.end() ? "" : it->second;
}

}  // namespace simctl
