// The device backend's connections and cached reads against stand-in services on sockets of a
// temporary device root: a request sent after one-way messages takes its own reply, never an
// answer to one of them; a service that went away is reached again on the next call, greeted
// first, and what was learnt from it (SpringBoard's server port) is asked again; a changed
// system version file is seen at the next use.
#include <base/AtomicFile.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <wire/DeviceClock.h>
#include <wire/DevicePaths.h>
#include <wire/Message.h>
#include <wire/SystemVersion.h>
#include <wire/Wire.h>
#include <wire/messages/Device.h>
#include <wire/messages/SpringBoard.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DeviceFiles.h"
#include "DeviceSpringBoard.h"
#include "ServiceLink.h"
#include "TemporaryFolder.h"

namespace {

using platform::device::ServiceLink;
namespace fs = std::filesystem;

constexpr int kReplyTimeoutMs = 10000;

// A service listening on a socket of a device root, served by a thread of its own until it is
// destroyed, which closes every connection as a service that ends does. Each message it takes
// is kept; `answer` makes its reply (none: it does not answer).
class StandInService {
  public:
    using Answer = std::function<std::optional<PList::Dictionary>(const PList::Dictionary&)>;

    StandInService(const std::string& root, const std::string& name, Answer answer)
        : listening_(wire::listenAsService(root, name)), answer_(std::move(answer)) {
        if (!listening_) throw std::runtime_error("cannot listen as " + name);
        auto stop = base::Pipe::create();
        if (!stop) throw std::runtime_error("no pipe");
        stop_ = std::move(*stop);
        thread_ = std::thread([this] { serve(); });
    }
    ~StandInService() {
        (void)!write(stop_.write.get(), "x", 1);
        thread_.join();
    }
    StandInService(const StandInService&) = delete;
    StandInService& operator=(const StandInService&) = delete;

    // The ops of the messages taken so far, in order.
    std::vector<std::string> ops() const {
        std::lock_guard lock(mutex_);
        return ops_;
    }
    // Waits (generously) until `count` messages were taken.
    bool waitForMessages(size_t count) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (ops().size() < count) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

  private:
    struct Client {
        base::ScopedFd fd;
        wire::FrameReader reader;
    };

    void serve() {
        std::list<Client> clients;
        for (;;) {
            std::vector<pollfd> polled{{stop_.read.get(), POLLIN, 0},
                                       {listening_.get(), POLLIN, 0}};
            for (const Client& c : clients) polled.push_back({c.fd.get(), POLLIN, 0});
            if (poll(polled.data(), polled.size(), -1) < 0) continue;
            if (polled[0].revents) return;  // closes every connection
            if (polled[1].revents)
                clients.push_back(
                    {base::ScopedFd(accept4(listening_.get(), nullptr, nullptr, SOCK_CLOEXEC)),
                     {}});
            size_t index = 2;
            for (auto it = clients.begin(); it != clients.end(); ++index) {
                if (index >= polled.size() || !polled[index].revents) {
                    ++it;
                    continue;
                }
                const auto status = it->reader.readFrom(it->fd.get());
                while (auto message = it->reader.next()) take(it->fd.get(), *message);
                it = status == wire::FrameReader::Status::Open ? std::next(it) : clients.erase(it);
            }
        }
    }

    void take(int fd, const PList::Dictionary& message) {
        {
            std::lock_guard lock(mutex_);
            ops_.push_back(wire::opOf(message));
        }
        if (auto reply = answer_(message)) wire::sendMessage(fd, *reply);
    }

    base::ScopedFd listening_;
    Answer answer_;
    base::Pipe stop_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> ops_;
};

// As SpringBoard: every message answered, here with the number of messages taken before it.
StandInService::Answer numberingEveryMessage() {
    auto taken = std::make_shared<int64_t>(0);
    return [taken](const PList::Dictionary&) -> std::optional<PList::Dictionary> {
        return wire::encode(wire::PortReply{true, (*taken)++});
    };
}

wire::StatusBarRequest showItem() {
    wire::StatusBarRequest m;
    m.route = "UIApplication";
    m.show = true;
    m.item = "VigilantPro";
    return m;
}

TEST(ServiceLink, ARequestAfterOneWayMessagesTakesItsOwnReplyNotAnEarlierAnswer) {
    TemporaryFolder root("service-link");
    StandInService service(root.path(), "springboard", numberingEveryMessage());
    ServiceLink link(root.path(), "springboard", ServiceLink::Answers::everyMessage);

    for (int i = 0; i < 3; ++i) ASSERT_TRUE(link.send(showItem()));
    auto reply = link.request<wire::PortReply>(wire::ServerPortRequest{}, kReplyTimeoutMs);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->port, 3) << "the answer to an earlier one-way message was taken";

    // Once the earlier answers have come (and were read without waiting), the same holds.
    ASSERT_TRUE(link.send(showItem()));
    ASSERT_TRUE(service.waitForMessages(5));
    reply = link.request<wire::PortReply>(wire::ServerPortRequest{}, kReplyTimeoutMs);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->port, 5);
    EXPECT_EQ(link.liveConnection(), 1u) << "one connection serves them all";
}

TEST(ServiceLink, AServiceThatWentAwayIsReachedAgainOnTheNextCallAndGreetedFirst) {
    TemporaryFolder root("service-link");
    const auto greeting = [] { return wire::encode(wire::Hello{77}); };
    ServiceLink link(root.path(), "simd", ServiceLink::Answers::requestsOnly, greeting);
    const wire::LogEvent line;
    {
        StandInService first(root.path(), "simd", [](const PList::Dictionary&) {
            return std::optional<PList::Dictionary>();
        });
        ASSERT_TRUE(link.send(line));
        ASSERT_TRUE(link.send(line));
        ASSERT_TRUE(first.waitForMessages(3));
        EXPECT_EQ(first.ops(), (std::vector<std::string>{"hello", "log", "log"}));
        EXPECT_EQ(link.liveConnection(), 1u);
    }
    EXPECT_EQ(link.liveConnection(), 0u) << "the service went away";

    StandInService second(root.path(), "simd", [](const PList::Dictionary&) {
        return std::optional<PList::Dictionary>();
    });
    ASSERT_TRUE(link.send(line));
    ASSERT_TRUE(second.waitForMessages(2));
    EXPECT_EQ(second.ops(), (std::vector<std::string>{"hello", "log"}));
    EXPECT_EQ(link.liveConnection(), 2u);
}

// The device backend's own objects need a device root in the environment and its clock file:
// one for the whole test process, made on first use.
const std::string& deviceRoot() {
    static TemporaryFolder* folder = [] {
        auto* made = new TemporaryFolder("device-backend");  // kept to the end of the process
        const std::string clockFile = wire::inRoot(made->path(), wire::paths::kClock);
        fs::create_directories(fs::path(clockFile).parent_path());
        const wire::DeviceClock clock{wire::hostNow(), 1262347200, 1};
        std::ofstream(clockFile) << clock.toPlist().ToXml();
        setenv(wire::paths::kRootVariable, made->path().c_str(), 1);
        return made;
    }();
    return folder->path();
}

// As SpringBoard answers sbs-port: with its server port.
StandInService::Answer portAnswer(int64_t port) {
    return [port](const PList::Dictionary& message) -> std::optional<PList::Dictionary> {
        if (wire::opOf(message) == wire::ServerPortRequest::kOp)
            return wire::encode(wire::PortReply{true, port});
        return wire::encode(wire::Reply::accepted());
    };
}

size_t countOf(const std::vector<std::string>& ops, const std::string& op) {
    return static_cast<size_t>(std::count(ops.begin(), ops.end(), op));
}

TEST(DeviceSpringBoard, AsksTheServerPortOnceAConnectionAndAgainOfARestartedSpringBoard) {
    const std::string& root = deviceRoot();
    auto& springBoard = platform::device::DeviceSpringBoard::instance();
    {
        StandInService first(root, wire::kSpringBoardService, portAnswer(0x1403));
        EXPECT_EQ(springBoard.serverPort(), 0x1403u);
        springBoard.statusBarItem(0x1403, "VigilantPro", true, 0);
        EXPECT_EQ(springBoard.serverPort(), 0x1403u);
        springBoard.statusBarItem(0x1403, "VigilantPro", true, 0);
        ASSERT_TRUE(first.waitForMessages(3));
        EXPECT_EQ(countOf(first.ops(), "sbs-port"), 1u) << "asked again on a live connection";
    }
    StandInService second(root, wire::kSpringBoardService, portAnswer(0x2207));
    EXPECT_EQ(springBoard.serverPort(), 0x2207u) << "a dead SpringBoard's port was kept";
    EXPECT_TRUE(springBoard.openURL("http://example.com/"));
    ASSERT_TRUE(second.waitForMessages(2));
    EXPECT_EQ(second.ops(), (std::vector<std::string>{"sbs-port", "open-url"}));
}

TEST(DeviceFiles, AChangedSystemVersionFileIsSeenAtTheNextUse) {
    const std::string file = wire::inRoot(deviceRoot(), wire::paths::kSystemVersion);
    fs::create_directories(fs::path(file).parent_path());
    const auto writeVersion = [&](const std::string& version) {
        return wire::writeSystemVersion(deviceRoot(), version);
    };
    auto& files = platform::device::DeviceFiles::instance();

    ASSERT_TRUE(writeVersion("3.1.3"));
    EXPECT_EQ(files.systemVersion(), "3.1.3");
    EXPECT_EQ(files.systemVersion(), "3.1.3");
    ASSERT_TRUE(writeVersion("2.2.1"));  // another file in its place
    EXPECT_EQ(files.systemVersion(), "2.2.1");
    {
        PList::Dictionary dict;
        dict.Set("ProductVersion", PList::String("4.0"));
        std::ofstream(file, std::ios::trunc) << dict.ToXml();  // the same file written over
    }
    EXPECT_EQ(files.systemVersion(), "4.0");
    fs::remove(file);
    EXPECT_EQ(files.systemVersion(), "");
}

}  // namespace
