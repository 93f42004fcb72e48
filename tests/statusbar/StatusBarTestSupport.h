// Helpers shared by the status-bar tests.
#pragma once

#include <csignal>
#include <string>
#include <vector>

#include "StatusBarController.h"
#include "TestPlatform.h"

namespace statusbar_test {

inline constexpr const char* kIconName = "VigilantPro";

// The handler now installed for `signal`.
inline void (*installedHandler(int signal))(int) {
    struct sigaction current {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

// The shared controller, named as the daemon names it.
inline StatusBarController* namedController(const std::string& name = kIconName) {
    StatusBarController* controller = StatusBarController::sharedStatusBarController();
    controller->setIconName(name);
    return controller;
}

inline std::vector<platform::testing::StatusBarRequest> requestsOf(
    const platform::testing::TestPlatform& device, bool show) {
    std::vector<platform::testing::StatusBarRequest> found;
    for (const auto& request : device.statusBarRequests())
        if (request.show == show) found.push_back(request);
    return found;
}

// The shows (or hides) that went by one route.
inline std::vector<platform::testing::StatusBarRequest> requestsOf(
    const platform::testing::TestPlatform& device, const std::string& route, bool show) {
    std::vector<platform::testing::StatusBarRequest> found;
    for (const auto& request : requestsOf(device, show))
        if (request.route == route) found.push_back(request);
    return found;
}

}  // namespace statusbar_test
