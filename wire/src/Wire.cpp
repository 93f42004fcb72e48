#include <base/LocalSocket.h>
#include <base/PlistHandles.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/ReceiveTree.h>
#include <wire/Wire.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace wire {
namespace {

// sun_path holds 108 bytes; a device may sit deeper than that. The folder is opened and the
// socket named through /proc/self/fd, which is always short; the folder stays open while the
// address is in use.
struct ShortPath {
    base::ScopedFd folder;
    std::string path;
};

ShortPath shortPath(const std::string& hostRoot, const std::string& name) {
    ShortPath out;
    out.folder.reset(open(socketFolder(hostRoot).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!out.folder) return out;
    const std::string socket = serviceSocket(name);
    out.path = "/proc/self/fd/" + std::to_string(out.folder.get()) +
               socket.substr(std::string(paths::kRunFolder).size());
    return out;
}

}  // namespace

std::string socketFolder(const std::string& hostRoot) {
    return inRoot(hostRoot, paths::kRunFolder);
}

base::LocalSocket connectToService(const std::string& hostRoot, const std::string& name) {
    const ShortPath address = shortPath(hostRoot, name);
    if (!address.folder) return {};
    return base::LocalSocket::connectTo(address.path);
}

base::LocalSocket listenAsService(const std::string& hostRoot, const std::string& name) {
    std::error_code ec;
    std::filesystem::create_directories(socketFolder(hostRoot), ec);
    chmod(socketFolder(hostRoot).c_str(), 0700);
    const ShortPath address = shortPath(hostRoot, name);
    if (!address.folder) return {};
    return base::LocalSocket::listenAt(address.path, 64);
}

bool sendMessage(int fd, const PList::Dictionary& message) {
    const std::vector<char> body = message.ToBin();
    if (body.size() > kMaxMessageBytes) return false;
    const auto n = static_cast<uint32_t>(body.size());
    const char header[4] = {static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                            static_cast<char>(n >> 8), static_cast<char>(n)};
    std::vector<char> frame(header, header + 4);
    frame.insert(frame.end(), body.begin(), body.end());
    return base::sendAll(fd, frame.data(), frame.size());
}

namespace {
uint32_t frameLength(const unsigned char* header) {
    return (uint32_t{header[0]} << 24) | (uint32_t{header[1]} << 16) | (uint32_t{header[2]} << 8) |
           uint32_t{header[3]};
}
}  // namespace

namespace {
// One frame's body; none when the peer is gone or the frame is malformed.
std::optional<std::vector<char>> readFrame(int fd) {
    unsigned char header[4];
    if (!base::receiveAll(fd, header, 4)) return std::nullopt;
    const uint32_t n = frameLength(header);
    if (n == 0 || n > kMaxMessageBytes) return std::nullopt;
    std::vector<char> body(n);
    if (!base::receiveAll(fd, body.data(), n)) return std::nullopt;
    return body;
}

// Waits at most `timeoutMs` for something to read.
bool readableWithin(int fd, int timeoutMs) {
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long elapsed =
            (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (elapsed >= timeoutMs) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(timeoutMs - elapsed));
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0;
    }
}

base::PlistTree dictionaryTree(const char* body, uint32_t n) {
    base::PlistTree root;
    plist_from_bin(body, n, root.out());
    if (root && plist_get_node_type(root.get()) != PLIST_DICT) root.reset();
    return root;
}
}  // namespace

std::unique_ptr<PList::Dictionary> receiveMessage(int fd) {
    const auto body = readFrame(fd);
    if (!body) return nullptr;
    return decodeMessage(body->data(), static_cast<uint32_t>(body->size()));
}

FrameReader::Status FrameReader::readFrom(int fd) {
    if (broken_) return Status::Broken;
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            buffer_.insert(buffer_.end(), chunk, chunk + n);
            if (buffer_.size() > kMaxMessageBytes + 4) {
                broken_ = true;
                return Status::Broken;
            }
            continue;
        }
        if (n == 0) return Status::Closed;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return Status::Open;
        return Status::Closed;
    }
}

std::unique_ptr<PList::Dictionary> FrameReader::next() {
    if (broken_ || buffer_.size() < 4) return nullptr;
    const uint32_t n = frameLength(reinterpret_cast<const unsigned char*>(buffer_.data()));
    if (n == 0 || n > kMaxMessageBytes) {
        broken_ = true;
        return nullptr;
    }
    if (buffer_.size() < 4 + static_cast<size_t>(n)) return nullptr;
    auto message = decodeMessage(buffer_.data() + 4, n);
    buffer_.erase(buffer_.begin(), buffer_.begin() + 4 + n);
    if (!message) broken_ = true;
    return message;
}

std::unique_ptr<PList::Dictionary> receiveMessageWithin(int fd, int timeoutMs) {
    // The peer writes a frame at once; what follows the header comes without delay.
    if (!readableWithin(fd, timeoutMs)) return nullptr;
    return receiveMessage(fd);
}

base::PlistTree receiveTreeWithin(int fd, int timeoutMs) {
    if (!readableWithin(fd, timeoutMs)) return {};
    const auto body = readFrame(fd);
    if (!body) return {};
    return dictionaryTree(body->data(), static_cast<uint32_t>(body->size()));
}

std::unique_ptr<PList::Dictionary> decodeMessage(const char* body, uint32_t n) {
    base::PlistTree root = dictionaryTree(body, n);
    if (!root) return nullptr;
    return std::unique_ptr<PList::Dictionary>(
        static_cast<PList::Dictionary*>(PList::Node::FromPlist(root.release())));
}

}  // namespace wire
