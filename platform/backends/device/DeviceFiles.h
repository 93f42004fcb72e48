// The files-and-paths service on the simulated device: the root's folders and the system
// version file in it.
#pragma once

#include <backend/FilesService.h>
#include <sys/types.h>

#include <mutex>
#include <optional>
#include <string>

#include "FileStamp.h"

namespace platform::device {

class DeviceFiles final : public FilesService {
  public:
    static DeviceFiles& instance();

    std::string deviceRoot() override;
    std::string homeDirectory() override { return "/var/root"; }
    std::string mainBundlePath() override;
    std::string systemVersion() override;

  private:
    std::mutex mutex_;
    bool versionRead_ = false;
    std::optional<FileStamp> versionStamp_;  // none: the file was not there
    std::string version_;
};

}  // namespace platform::device
