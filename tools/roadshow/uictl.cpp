// uictl: sends automation commands to the control app's local socket, one a line, and prints
// each reply. Exits 1 when the app is not reachable or a reply is an error, so scripts stop.
#include <base/LocalSocket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

base::LocalSocket connectTo(const std::string& path, double seconds) {
    if (path.size() > base::LocalSocket::kMaxPathBytes) return {};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        if (base::LocalSocket socket = base::LocalSocket::connectTo(path)) return socket;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return {};
}

bool readLine(int fd, std::string& line) {
    line.clear();
    char c = 0;
    while (read(fd, &c, 1) == 1) {
        if (c == '\n') return true;
        line += c;
    }
    return false;
}

constexpr char kUsage[] =
    "usage: uictl SOCKET COMMAND...\n"
    "Sends each COMMAND (one argument each, e.g. \"tap preventSleepSwitch\") to the\n"
    "control app's automation socket (VIGILANT_UI_AUTOMATION) and prints its reply line.\n"
    "Waits up to 60 s for the socket. Exit status 1 when a reply is an error or the app is\n"
    "gone, 2 on a usage error.\n"
    "Commands:\n"
    "  ping                         answers pong\n"
    "  tap NAME                     taps the button, switch or bar button NAME (an alert's\n"
    "                               buttons by title while one is up)\n"
    "  tap-row TABLE SECTION ROW    taps a table row (- for the first visible table)\n"
    "  pick PICKER COMPONENT ROW    turns a picker wheel to the row\n"
    "  follow-link WEBVIEW HREF     follows a link of the page shown\n"
    "  state                        the screen as JSON: alerts, navigation bar, status bar,\n"
    "                               named widgets\n"
    "  get NAME                     one widget as JSON\n"
    "  screenshot FILE              writes the window as PNG\n"
    "  quit                         ends the app\n";

}  // namespace

int main(int argc, char** argv) {
    const bool help = argc >= 2 && std::strcmp(argv[1], "--help") == 0;
    if (argc < 3 || help) {
        std::fputs(kUsage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    const base::LocalSocket app = connectTo(argv[1], 60);
    if (!app) {
        std::fprintf(stderr, "uictl: cannot reach the app at %s\n", argv[1]);
        return 1;
    }
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        std::string reply;
        if (!app.writeAll(std::string(argv[i]) + "\n") || !readLine(app.get(), reply)) {
            std::fprintf(stderr, "uictl: the app closed the connection at \"%s\"\n", argv[i]);
            status = 1;
            break;
        }
        std::printf("%s\n", reply.c_str());
        if (reply.rfind("error", 0) == 0) status = 1;
    }
    return status;
}
