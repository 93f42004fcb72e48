// launchd's overrides database, /private/var/db/launchd.db/com.apple.launchd/overrides.plist:
// {label: {Disabled: bool}}, written by "load -w" and "unload -w" so the choice outlives a
// reboot. Entries this code does not understand are kept as they are.
#pragma once

#include <plist/plist++.h>

#include <memory>
#include <optional>
#include <string>

namespace simd {

class Overrides {
  public:
    Overrides();
    // A missing file is an empty database; a damaged one reads as empty with error() set.
    static Overrides load(const std::string& hostPath);

    std::optional<bool> disabled(const std::string& label) const;
    void setDisabled(const std::string& label, bool disabled);
    bool save(const std::string& hostPath) const;
    const std::string& error() const { return error_; }

  private:
    std::unique_ptr<PList::Dictionary> document_;
    std::string error_;
};

}  // namespace simd
