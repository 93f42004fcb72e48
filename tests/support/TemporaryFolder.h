// A fresh folder under /tmp for one test, removed with all it holds when the test is done.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

class TemporaryFolder {
  public:
    // `name` goes into the folder's name: /tmp/vigilant-NAME-XXXXXX.
    explicit TemporaryFolder(const std::string& name) {
        std::string pattern = "/tmp/vigilant-" + name + "-XXXXXX";
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make " + pattern);
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};
