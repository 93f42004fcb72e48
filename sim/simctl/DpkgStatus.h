// The device's record of its installed packages, where the phone's dpkg keeps it
// (/var/lib/dpkg/status): one control paragraph a package, with its Status. The firmware comes
// with one that lists what it provides (MobileSubstrate among them); installs add to it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ControlParagraph.h"

namespace simctl {

// Package name to installed version.
using InstalledPackages = std::map<std::string, std::string>;

class DpkgStatus {
  public:
    // The record of the device at `root`; empty when the file is missing, a CommandError when
    // it cannot be read as control paragraphs (an install that went on would write back less
    // than the file held).
    static DpkgStatus read(const std::string& root);

    // The packages whose Status says they are installed.
    InstalledPackages installed() const;
    // `control` as an installed package, in place of an earlier record of the same name.
    void record(ControlParagraph control);
    // Replaces the device's file; false when it cannot be written.
    bool write(const std::string& root) const;

  private:
    std::vector<ControlParagraph> packages_;
};

}  // namespace simctl
