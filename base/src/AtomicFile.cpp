#include <base/AtomicFile.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace base {

bool makeDirectories(const std::string& hostPath) {
    std::error_code ec;
    std::filesystem::create_directories(hostPath, ec);
    return !ec;
}

bool writeFileAtomically(const std::string& hostPath, const std::vector<char>& bytes) {
    const std::filesystem::path target(hostPath);
    const std::string folder = target.parent_path().string();
    if (!folder.empty() && !makeDirectories(folder)) return false;
    std::string temp = hostPath + ".tmp.XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    fchmod(fd, 0644);
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    const bool ok = written == bytes.size() && fsync(fd) == 0;
    close(fd);
    if (!ok || rename(temp.c_str(), hostPath.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    const int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

}  // namespace base
