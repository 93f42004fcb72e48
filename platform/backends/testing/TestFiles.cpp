#include "TestFiles.h"

#include <base/AtomicFile.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace platform::testing {

namespace {
std::string makeTemporaryRoot() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vigilant-test-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a device root");
    return pattern;
}
}  // namespace

TestFiles::TestFiles(CallLog& log) : log_(log), ownRoot_(makeTemporaryRoot()), root_(ownRoot_) {
    std::filesystem::create_directories(root_ + "/var/root/Library/Preferences");
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
