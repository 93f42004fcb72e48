#include "TestBackend.h"

namespace platform::testing {

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
