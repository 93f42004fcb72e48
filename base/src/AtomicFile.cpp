#include <base/AtomicFile.h>
#include <base/ScopedFd.h>
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
    ScopedFd file(mkstemp(temp.data()));
    if (!file) return false;
    fchmod(file.get(), 0644);
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(file.get(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    const bool ok = written == bytes.size() && fsync(file.get()) == 0;
    file.reset();
    if (!ok || rename(temp.c_str(), hostPath.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    const ScopedFd dir(open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (dir) fsync(dir.get());
    return true;
}

}  // namespace base
