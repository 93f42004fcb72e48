// SpringBoard's socket server on the run loop: whole requests are answered, half-sent ones
// hold nobody up, malformed ones cost only their own connection.
#include <base/PlistFile.h>
#include <base/ScopedFd.h>
#include <gtest/gtest.h>
#include <sim/springboard/RunLoopServer.h>
#include <sys/socket.h>
#include <wire/Wire.h>

#include "SpringBoardSideBackend.h"
#include "TemporaryFolder.h"

namespace {

class SocketServer : public testing::Test {
  protected:
    void SetUp() override {
        backend.files().setDeviceRoot(root);
        base::LocalSocket fd = wire::listenAsService(root, "springboard");
        ASSERT_TRUE(fd);
        server = std::make_unique<springboard::RunLoopServer>(
            std::move(fd), [this](const PList::Dictionary& request) {
                ++served;
                PList::Dictionary reply;
                reply.Set("ok", PList::Boolean(true));
                reply.Set("echo", PList::String(base::stringAt(request, "op").value_or("")));
                return reply;
            });
        server->attach(CFRunLoopGetCurrent());
    }
    void TearDown() override {
        clients.clear();
        server.reset();
    }

    int connect() {
        clients.emplace_back(wire::connectToService(root, "springboard"));
        EXPECT_TRUE(clients.back());
        return clients.back().get();
    }
    static PList::Dictionary request(const std::string& op) {
        PList::Dictionary r;
        r.Set("op", PList::String(op));
        return r;
    }
    void serve() { CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1, false); }

    SpringBoardSideBackend backend;
    TemporaryFolder folder{"sbserver"};
    const std::string root = folder.path();
    std::unique_ptr<springboard::RunLoopServer> server;
    std::vector<base::ScopedFd> clients;
    int served = 0;
};

TEST_F(SocketServer, AnswersEachRequestOnItsConnection) {
    const int a = connect();
    const int b = connect();
    ASSERT_TRUE(wire::sendMessage(a, request("first")));
    ASSERT_TRUE(wire::sendMessage(a, request("second")));
    ASSERT_TRUE(wire::sendMessage(b, request("third")));
    serve();
    for (const char* op : {"first", "second"}) {
        auto reply = wire::receiveMessageWithin(a, 5000);
        ASSERT_TRUE(reply);
        EXPECT_EQ(base::stringAt(*reply, "echo").value_or(""), op);
    }
    auto reply = wire::receiveMessageWithin(b, 5000);
    ASSERT_TRUE(reply);
    EXPECT_EQ(base::stringAt(*reply, "echo").value_or(""), "third");
    EXPECT_EQ(server->connectionCount(), 2u);
}

TEST_F(SocketServer, AHalfSentRequestHoldsNobodyUp) {
    const int slow = connect();
    const std::vector<char> body = request("slow").ToBin();
    const uint32_t n = static_cast<uint32_t>(body.size());
    const char header[4] = {static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                            static_cast<char>(n >> 8), static_cast<char>(n)};
    ASSERT_EQ(send(slow, header, 4, 0), 4);
    ASSERT_EQ(send(slow, body.data(), 3, 0), 3);
    const int quick = connect();
    ASSERT_TRUE(wire::sendMessage(quick, request("quick")));
    serve();
    EXPECT_TRUE(wire::receiveMessageWithin(quick, 5000));
    EXPECT_EQ(served, 1);

    ASSERT_EQ(send(slow, body.data() + 3, body.size() - 3, 0),
              static_cast<ssize_t>(body.size() - 3));
    serve();
    auto reply = wire::receiveMessageWithin(slow, 5000);
    ASSERT_TRUE(reply);
    EXPECT_EQ(base::stringAt(*reply, "echo").value_or(""), "slow");
}

TEST_F(SocketServer, AMalformedFrameDropsOnlyItsConnection) {
    const int bad = connect();
    const int good = connect();
    const char zeroLength[4] = {0, 0, 0, 0};
    ASSERT_EQ(send(bad, zeroLength, 4, 0), 4);
    serve();
    EXPECT_EQ(server->connectionCount(), 1u);
    EXPECT_FALSE(wire::receiveMessageWithin(bad, 1000)) << "closed by SpringBoard";
    ASSERT_TRUE(wire::sendMessage(good, request("still")));
    serve();
    EXPECT_TRUE(wire::receiveMessageWithin(good, 5000));
}

TEST_F(SocketServer, ServesARequestWhoseClientHungUpAtOnce) {
    base::LocalSocket once = wire::connectToService(root, "springboard");
    ASSERT_TRUE(wire::sendMessage(once.get(), request("one-way")));
    once.reset();  // hangs up
    serve();
    EXPECT_EQ(served, 1);
    EXPECT_EQ(server->connectionCount(), 0u);
}

// SpringBoard serves clients for days: each one that hangs up takes its run-loop source with it,
// and a server that goes leaves nothing on the run loop.
TEST_F(SocketServer, ClientsThatHangUpLeaveNothingOnTheRunLoop) {
    for (int round = 0; round < 3; ++round) {
        std::vector<base::ScopedFd> batch;
        for (int i = 0; i < 4; ++i) batch.emplace_back(wire::connectToService(root, "springboard"));
        for (const base::ScopedFd& fd : batch)
            ASSERT_TRUE(wire::sendMessage(fd.get(), request("hello")));
        serve();
        EXPECT_EQ(server->connectionCount(), 4u);
        batch.clear();  // every one hangs up
        serve();
        EXPECT_EQ(server->connectionCount(), 0u);
    }
    EXPECT_EQ(served, 12);
    server.reset();
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1, false), kCFRunLoopRunFinished);
}

}  // namespace
