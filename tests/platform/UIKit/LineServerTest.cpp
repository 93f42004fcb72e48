// The automation socket: a line may arrive in pieces and several in one piece; each gets its
// own reply in order, a client that hangs up mid-line is forgotten, and others go on.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <algorithm>
#include <cstring>
#include <string>

#include "LineServer.h"
#include "TemporaryFolder.h"
#include "base/LocalSocket.h"

namespace {

void sendText(const base::LocalSocket& socket, const std::string& text) {
    ASSERT_TRUE(socket.writeAll(text));
}

// Runs the event loop until `lines` whole lines have come back, or 20 s have passed.
std::string receiveLines(const base::ScopedFd& fd, int lines) {
    std::string got;
    const QDeadlineTimer deadline(20000);
    while (std::count(got.begin(), got.end(), '\n') < lines && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        char buffer[256];
        const ssize_t n = recv(fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

TEST(LineServer, AnswersEachLineInOrderHoweverItArrivesAndOutlivesAClientThatHangsUp) {
    TemporaryFolder folder("line-server");
    const std::string path = folder.path() + "/automation.sock";
    uikit::LineServer server(path, [](const QByteArray& line) { return "ok " + line; });
    ASSERT_TRUE(server.listening()) << server.error();

    base::LocalSocket quitter = base::LocalSocket::connectTo(path);
    base::LocalSocket client = base::LocalSocket::connectTo(path);
    ASSERT_TRUE(quitter && client);
    sendText(quitter, "half a li");
    quitter.reset();  // hangs up mid-line
    sendText(client, "sta");
    EXPECT_EQ(receiveLines(client, 0), "");
    sendText(client, "te\r\nping\nget x\n");
    EXPECT_EQ(receiveLines(client, 3), "ok state\nok ping\nok get x\n");
}

TEST(LineServer, APathTooLongForASocketIsAClearError) {
    uikit::LineServer server("/tmp/" + std::string(200, 'x'),
                             [](const QByteArray& l) { return l; });
    EXPECT_FALSE(server.listening());
    EXPECT_NE(server.error().find("longer than 107 bytes"), std::string::npos) << server.error();
}

}  // namespace
