// The files-and-paths service on the simulated device: the root's folders and the system
// version file in it.
#pragma once

#include <backend/FilesService.h>

namespace platform::device {

class DeviceFiles final : public FilesService {
  public:
    static DeviceFiles& instance();

    std::string deviceRoot() override;
    std::string homeDirectory() override { return "/var/root"; }
    std::string mainBundlePath() override;
    std::string systemVersion() override;
};

}  // namespace platform::device
