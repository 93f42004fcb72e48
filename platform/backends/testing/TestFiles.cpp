#include "TestFiles.h"

#include <base/AtomicFile.h>
#include <unistd.h>
#include <wire/DevicePaths.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace platform::testing {

namespace {

// One folder per test program holds the roots of all its backends, and goes when the program
// ends. The processes a test starts (a death test's child, forked or run anew; a writer the
// test kills) make their roots inside their parent's folder, named to them in the
// environment: such a child may end by a signal or by exit() with its backend alive, and what
// it leaves still goes with the folder.
class SessionFolder {
  public:
    SessionFolder() {
        if (const char* inherited = std::getenv(kVariable);
            inherited && *inherited && std::filesystem::is_directory(inherited)) {
            path_ = inherited;
            return;
        }
        const char* tmp = std::getenv("TMPDIR");
        path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/vigilant-test-XXXXXX";
        if (!mkdtemp(path_.data())) {
            path_.clear();
            return;
        }
        owner_ = getpid();
        setenv(kVariable, path_.c_str(), 1);
    }
    ~SessionFolder() {
        std::error_code ignored;
        if (owner_ == getpid()) std::filesystem::remove_all(path_, ignored);
    }
    SessionFolder(const SessionFolder&) = delete;
    SessionFolder& operator=(const SessionFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    static constexpr const char* kVariable = "VIGILANT_TEST_FOLDER";
    std::string path_;
    pid_t owner_ = -1;  // the process that made the folder; only it removes it
};

const SessionFolder g_session;

std::string makeTemporaryRoot() {
    if (g_session.path().empty()) throw std::runtime_error("cannot create the tests' folder");
    std::string pattern = g_session.path() + "/root-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a device root");
    return pattern;
}

}  // namespace

TestFiles::TestFiles(CallLog& log) : log_(log), ownRoot_(makeTemporaryRoot()), root_(ownRoot_) {
    std::filesystem::create_directories(wire::inRoot(root_, wire::paths::kPreferences));
}

TestFiles::~TestFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(ownRoot_, ignored);
}

std::string TestFiles::systemVersion() {
    log_.add(SystemVersionRead{});
    return systemVersion_;
}

void TestFiles::writeFile(const std::string& devicePath, const std::string& bytes) {
    if (!base::writeFileAtomically(hostPathOf(devicePath),
                                   std::vector<char>(bytes.begin(), bytes.end())))
        throw std::runtime_error("cannot write " + hostPathOf(devicePath));
}

std::string TestFiles::readFile(const std::string& devicePath) const {
    std::ifstream in(hostPathOf(devicePath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TestFiles::fileExists(const std::string& devicePath) const {
    return std::filesystem::exists(hostPathOf(devicePath));
}

void TestFiles::removeFile(const std::string& devicePath) {
    std::error_code ignored;
    std::filesystem::remove(hostPathOf(devicePath), ignored);
}

}  // namespace platform::testing
