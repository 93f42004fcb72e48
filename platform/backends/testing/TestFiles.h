// The test backend's files and paths: a device root folder of its own (removed with it), the
// system version and the main bundle's folder, and helpers for the root's files.
#pragma once

#include <backend/FilesService.h>
#include <wire/DevicePaths.h>

#include "CallLog.h"

namespace platform::testing {

class TestFiles final : public FilesService {
  public:
    static constexpr const char* kDefaultBundlePath = wire::paths::kAppBundle;
    static constexpr const char* kDefaultSystemVersion = "3.1.3";

    explicit TestFiles(CallLog& log);
    ~TestFiles() override;
    TestFiles(const TestFiles&) = delete;
    TestFiles& operator=(const TestFiles&) = delete;

    // A root of the test's own instead of the temporary one (which is still removed at the end).
    void setDeviceRoot(std::string root) { root_ = std::move(root); }
    void setSystemVersion(std::string version) { systemVersion_ = std::move(version); }
    void setMainBundlePath(std::string path) { bundlePath_ = std::move(path); }
    void setHomeDirectory(std::string path) { home_ = std::move(path); }

    std::string hostPathOf(const std::string& devicePath) const { return root_ + devicePath; }
    void writeFile(const std::string& devicePath, const std::string& bytes);
    std::string readFile(const std::string& devicePath) const;
    bool fileExists(const std::string& devicePath) const;
    void removeFile(const std::string& devicePath);

    std::string deviceRoot() override { return root_; }
    std::string homeDirectory() override { return home_; }
    std::string mainBundlePath() override { return bundlePath_; }
    std::string systemVersion() override;

  private:
    CallLog& log_;
    std::string ownRoot_;
    std::string root_;
    std::string systemVersion_ = kDefaultSystemVersion;
    std::string bundlePath_ = kDefaultBundlePath;
    std::string home_ = "/var/root";
};

}  // namespace platform::testing
