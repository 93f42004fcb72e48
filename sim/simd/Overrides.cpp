#include "Overrides.h"

#include <base/AtomicFile.h>
#include <base/PlistFile.h>

namespace simd {

Overrides::Overrides() : document_(std::make_unique<PList::Dictionary>()) {}

Overrides Overrides::load(const std::string& hostPath) {
    Overrides overrides;
    base::PlistFile file = base::readPlistFile(hostPath);
    if (file.state == base::PlistFile::State::Missing) return overrides;
    if (!file.loaded()) {
        overrides.error_ = "the overrides database " + file.error;
        return overrides;
    }
    PList::Dictionary* dict = file.dictionary();
    if (!dict) {
        overrides.error_ = "the overrides database is not a dictionary";
        return overrides;
    }
    file.root.release();
    overrides.document_.reset(dict);
    return overrides;
}

std::optional<bool> Overrides::disabled(const std::string& label) const {
    const PList::Dictionary* entry = base::dictionaryAt(*document_, label);
    if (!entry) return std::nullopt;
    return base::booleanAt(*entry, "Disabled");
}

void Overrides::setDisabled(const std::string& label, bool disabled) {
    std::unique_ptr<PList::Node> entry;
    if (const PList::Dictionary* old = base::dictionaryAt(*document_, label))
        entry.reset(old->Clone());
    else
        entry = std::make_unique<PList::Dictionary>();
    static_cast<PList::Dictionary&>(*entry).Set("Disabled", PList::Boolean(disabled));
    document_->Set(label, *entry);
}

bool Overrides::save(const std::string& hostPath) const {
    return base::writeFileAtomically(hostPath, base::plistToXml(*document_));
}

}  // namespace simd
