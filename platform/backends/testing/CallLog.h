// The ordered list of records the test backend's services and the frameworks' probes add to.
#pragma once

#include <functional>
#include <string>
#include <tuple>
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
        if (!keep_) return;
        std::get<std::vector<T>>(byKind_).push_back(record);
        records_.emplace_back(std::move(record));
        if (observer_) observer_(records_.back());
    }
    // Called with each record as it is added, for tests that look at the moment of a call.
    void observe(std::function<void(const Record&)> observer) { observer_ = std::move(observer); }

    const std::vector<Record>& all() const { return records_; }
    // The records of one kind, in order.
    template <class T>
    const std::vector<T>& of() const {
        return std::get<std::vector<T>>(byKind_);
    }
    template <class T>
    size_t count() const {
        return of<T>().size();
    }
    // Positions in all() of the records of one kind.
    template <class T>
    std::vector<size_t> indicesOf() const {
        std::vector<size_t> found;
        for (size_t i = 0; i < records_.size(); ++i)
            if (std::holds_alternative<T>(records_[i])) found.push_back(i);
        return found;
    }
    void clear();
    // Long runs (benchmarks) stop keeping records, and watching the probes, so the platform
    // itself does not grow or slow down.
    void setKeep(bool keep);
    bool keeping() const { return keep_; }

  private:
    static void watched(const probe::Event& event, void* context);

    template <class V>
    struct VectorsOf;
    template <class... T>
    struct VectorsOf<std::variant<T...>> {
        using type = std::tuple<std::vector<T>...>;
    };

    std::vector<Record> records_;
    VectorsOf<Record>::type byKind_;  // the same records, one list per kind
    bool keep_ = true;
    std::function<void(const Record&)> observer_;
};

}  // namespace platform::testing
