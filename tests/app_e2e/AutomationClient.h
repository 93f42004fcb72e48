// The test side of the app's automation socket: one command line out, one reply line back
// ("ok", "ok PAYLOAD" or "error WHY"). The app answers from its event loop, which a running
// launchctl blocks, so every wait has its own deadline instead of blocking for good.
#pragma once

#include <base/LocalSocket.h>

#include <string>

namespace apptest {

class AutomationClient {
  public:
    AutomationClient() = default;
    ~AutomationClient();
    AutomationClient(const AutomationClient&) = delete;
    AutomationClient& operator=(const AutomationClient&) = delete;

    // Tries to connect to the socket at `path` once; false while nobody listens there.
    bool tryConnect(const std::string& path);
    bool connected() const { return socket_.valid(); }
    void disconnect();

    // Sends `line` and returns the reply line, or "error no reply: ..." when the app did not
    // answer within `hostSeconds` or the connection ended.
    std::string command(const std::string& line, double hostSeconds);

  private:
    base::LocalSocket socket_;
    std::string pending_;  // bytes read past the last reply line
};

}  // namespace apptest
