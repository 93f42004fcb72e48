// The files-and-paths service: where the device's files are and what the system says of itself.
#pragma once

#include <string>

namespace platform {

class FilesService {
  public:
    virtual ~FilesService() = default;
    // The device's root folder on the host; empty when device paths are host paths.
    virtual std::string deviceRoot() = 0;
    // Device path of the home folder of the user the process runs as ("/var/root").
    virtual std::string homeDirectory() = 0;
    // Device path of the main bundle's folder.
    virtual std::string mainBundlePath() = 0;
    virtual std::string systemVersion() = 0;
};

}  // namespace platform
