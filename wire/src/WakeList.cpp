#include <base/AtomicFile.h>
#include <base/PlistFile.h>
#include <wire/WakeList.h>

#include <cmath>

namespace wire {

namespace {
// The entry as a request, when it is a valid one.
std::optional<WakeRequest> requestOf(const PList::Node* node) {
    if (!node || node->GetType() != PLIST_DICT) return std::nullopt;
    const auto& entry = *static_cast<const PList::Dictionary*>(node);
    const std::optional<double> time = base::dateAt(entry, "time");
    const std::optional<std::string> by = base::stringAt(entry, "scheduledby");
    if (!time || !by) return std::nullopt;
    return WakeRequest{*time, *by};
}
}  // namespace

WakeList::WakeList() : document_(std::make_unique<PList::Dictionary>()) {
    document_->Set("wake", PList::Array());
}

WakeList WakeList::load(const std::string& hostPath) {
    WakeList list;
    base::PlistFile file = base::readPlistFile(hostPath);
    if (file.state == base::PlistFile::State::Missing) return list;
    if (!file.loaded()) {
        list.error_ = "the wake-request list " + file.error;
        return list;
    }
    PList::Dictionary* dict = file.dictionary();
    if (!dict) {
        list.error_ = "the wake-request list is not a dictionary";
        return list;
    }
    const PList::Node* wake = base::nodeAt(*dict, "wake");
    if (wake && wake->GetType() != PLIST_ARRAY) {
        list.error_ = "the wake-request list's \"wake\" is not an array";
        return list;
    }
    file.root.release();
    list.document_.reset(dict);
    if (!wake) list.document_->Set("wake", PList::Array());
    list.scan();
    return list;
}

PList::Array& WakeList::entries() const {
    return *static_cast<PList::Array*>(document_->Find("wake")->second);
}

void WakeList::scan() {
    problems_.clear();
    const std::vector<std::unique_ptr<PList::Node>> items = base::arrayItems(entries());
    for (size_t i = 0; i < items.size(); ++i)
        if (!requestOf(items[i].get()))
            problems_.push_back("entry " + std::to_string(i) +
                                " is not {time: date, scheduledby: string}");
}

std::vector<WakeRequest> WakeList::requests() const {
    std::vector<WakeRequest> result;
    for (const auto& item : base::arrayItems(entries()))
        if (auto request = requestOf(item.get())) result.push_back(*request);
    return result;
}

// Down, as a property list's date keeps a time: a wake-up asked for in the last half second of
// a minute stays in that minute (rounding moved it into the next).
double WakeList::wholeSeconds(double time) { return std::floor(time); }

void WakeList::add(double time, const std::string& identifier) {
    const double whole = wholeSeconds(time);
    for (const WakeRequest& r : requests())
        if (r.scheduledBy == identifier && wholeSeconds(r.time) == whole) return;
    PList::Dictionary entry;
    entry.Set("time", base::makeDate(whole));
    entry.Set("scheduledby", PList::String(identifier));
    base::arrayAppend(entries(), entry);
}

int WakeList::remove(double time, const std::string& identifier) {
    const double whole = wholeSeconds(time);
    PList::Array& array = entries();
    const std::vector<std::unique_ptr<PList::Node>> items = base::arrayItems(array);
    int removed = 0;
    // From the end, so the indices of the entries still to look at stay as they were.
    for (size_t i = items.size(); i-- > 0;) {
        const auto request = requestOf(items[i].get());
        if (request && request->scheduledBy == identifier && wholeSeconds(request->time) == whole) {
            base::arrayRemove(array, i);
            ++removed;
        }
    }
    if (removed) scan();
    return removed;
}

std::optional<WakeRequest> WakeList::earliestAfter(double now) const {
    std::optional<WakeRequest> best;
    for (const WakeRequest& r : requests())
        if (r.time > now && (!best || r.time < best->time)) best = r;
    return best;
}

bool WakeList::save(const std::string& hostPath) const {
    return base::writeFileAtomically(hostPath, base::plistToXml(*document_));
}

}  // namespace wire
