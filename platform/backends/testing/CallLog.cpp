#include "CallLog.h"

namespace platform::testing {

CallLog::CallLog() { probe::watch(&CallLog::watched, this); }

CallLog::~CallLog() {
    if (probe::watchedBy(this)) probe::watch(nullptr, nullptr);
}

void CallLog::clear() {
    records_.clear();
    std::apply([](auto&... kinds) { (kinds.clear(), ...); }, byKind_);
}

void CallLog::setKeep(bool keep) {
    keep_ = keep;
    if (keep)
        probe::watch(&CallLog::watched, this);
    else if (probe::watchedBy(this))
        probe::watch(nullptr, nullptr);
}

void CallLog::watched(const probe::Event& event, void* context) {
    auto* log = static_cast<CallLog*>(context);
    std::visit([log](const auto& e) { log->add(e); }, event);
}

}  // namespace platform::testing
