#include "DpkgStatus.h"

#include <base/AtomicFile.h>
#include <wire/DevicePaths.h>

#include <fstream>
#include <sstream>

#include "Simctl.h"

namespace simctl {

namespace {

// "install ok installed": the last of the three words is the state.
bool installedState(const std::string& status) {
    std::istringstream words(status);
    std::string want, flag, state;
    return words >> want >> flag >> state && state == "installed";
}

}  // namespace

DpkgStatus DpkgStatus::read(const std::string& root) {
    DpkgStatus status;
    std::ifstream in(wire::inRoot(root, wire::paths::kDpkgStatus), std::ios::binary);
    if (!in) return status;
    std::ostringstream text;
    text << in.rdbuf();
    status.packages_ = ControlParagraph::parseAll(
        text.str(), std::string("the device's ") + wire::paths::kDpkgStatus);
    return status;
}

InstalledPackages DpkgStatus::installed() const {
    InstalledPackages installed;
    for (const ControlParagraph& package : packages_)
        if (installedState(package.value("Status")))
            installed[package.value("Package")] = package.value("Version");
    return installed;
}

void DpkgStatus::record(ControlParagraph control) {
    control.set("Status", "install ok installed");
    const std::string name = control.value("Package");
    for (ControlParagraph& package : packages_)
        if (package.value("Package") == name) {
            package = std::move(control);
            return;
        }
    packages_.push_back(std::move(control));
}

bool DpkgStatus::write(const std::string& root) const {
    std::string text;
    for (const ControlParagraph& package : packages_)
        text += (text.empty() ? "" : "\n") + package.text();
    return base::writeFileAtomically(wire::inRoot(root, wire::paths::kDpkgStatus),
                                     {text.begin(), text.end()});
}

}  // namespace simctl
