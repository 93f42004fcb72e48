// The ordered list of records the test backend's services and the frameworks' probes add to.
#pragma once

#include <string>
#include <vector>

#include "TestRecords.h"

namespace platform::testing {

class CallLog {
  public:
    CallLog();
    ~CallLog();
    CallLog(const CallLog&) = delete;
    CallLog& operator=(const CallLog&) = delete;

    template <class T>
    void add(T record) {
        if (keep_) records_.emplace_back(std::move(record));
    }

    const std::vector<Record>& all() const { return records_; }
    // The records of one kind, in order.
    template <class T>
    std::vector<T> of() const {
        std::vector<T> found;
        for (const Record& r : records_)
            if (const T* t = std::get_if<T>(&r)) found.push_back(*t);
        return found;
    }
    template <class T>
    size_t count() const {
        size_t n = 0;
        for (const Record& r : records_) n += std::holds_alternative<T>(r);
        return n;
    }
    // Positions in all() of the records of one kind.
    template <class T>
    std::vector<size_t> indicesOf() const {
        std::vector<size_t> found;
        for (size_t i = 0; i < records_.size(); ++i)
            if (std::holds_alternative<T>(records_[i])) found.push_back(i);
        return found;
    }
    void clear() { records_.clear(); }
    // Long runs (benchmarks) stop keeping records, and watching the probes, so the platform
    // itself does not grow or slow down.
    void setKeep(bool keep);
    bool keeping() const { return keep_; }

  private:
    static void watched(const probe::Event& event, void* context);

    std::vector<Record> records_;
    bool keep_ = true;
};

}  // namespace platform::testing
