// How the simulated device's processes talk: Unix stream sockets in the device's
// var/run/sim folder (owner-only), carrying binary property-list dictionaries, each framed by
// its length as 4 bytes, big-endian.
#pragma once

#include <base/LocalSocket.h>
#include <plist/plist++.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace wire {

// Host path of the folder that holds a device's sockets.
std::string socketFolder(const std::string& hostRoot);

// Connects to the service `name` of the device at `hostRoot`; invalid when nobody listens.
// Works for roots deeper than a socket address can spell.
base::LocalSocket connectToService(const std::string& hostRoot, const std::string& name);
// Listens as the service `name`; invalid on failure. The socket is usable by its owner alone.
base::LocalSocket listenAsService(const std::string& hostRoot, const std::string& name);

// A whole message, or false when the peer is gone or the frame is malformed.
bool sendMessage(int fd, const PList::Dictionary& message);
std::unique_ptr<PList::Dictionary> receiveMessage(int fd);

// Frames larger than this are refused as malformed.
inline constexpr uint32_t kMaxMessageBytes = 16u << 20;

// The message in one frame's body; null when it is no dictionary.
std::unique_ptr<PList::Dictionary> decodeMessage(const char* body, uint32_t size);

// Gathers a stream's bytes as they come (without blocking) and hands out whole messages, so
// a server never waits on a peer that sent half a frame.
class FrameReader {
  public:
    enum class Status { Open, Closed, Broken };
    // Reads what the descriptor has now.
    Status readFrom(int fd);
    // The next whole message, or null when none is complete yet (or the stream is broken).
    std::unique_ptr<PList::Dictionary> next();
    bool broken() const { return broken_; }

  private:
    std::vector<char> buffer_;
    bool broken_ = false;
};

// Waits at most `timeoutMs` (host time) for one whole message; null on timeout or when the
// peer is gone.
std::unique_ptr<PList::Dictionary> receiveMessageWithin(int fd, int timeoutMs);

}  // namespace wire
