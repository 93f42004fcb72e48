#include "TestBackend.h"

#include <backend/Backend.h>

namespace platform::testing {

TestBackend::TestBackend() {
    useService(&process_);
    useService(&files_);
    useService(&power_);
    useService(&wake_);
    useService(&springBoard_);
}

TestBackend::~TestBackend() {
    useService(static_cast<ProcessService*>(nullptr));
    useService(static_cast<FilesService*>(nullptr));
    useService(static_cast<PowerService*>(nullptr));
    useService(static_cast<WakeService*>(nullptr));
    useService(static_cast<SpringBoardService*>(nullptr));
}

std::vector<std::string> TestBackend::openedURLs() const {
    std::vector<std::string> urls;
    for (const URLOpened& opened : callsOf<URLOpened>()) urls.push_back(opened.url);
    return urls;
}

std::vector<std::string> TestBackend::logLines() const {
    std::vector<std::string> lines;
    for (const LogLine& line : callsOf<LogLine>()) lines.push_back(line.text);
    return lines;
}

}  // namespace platform::testing
