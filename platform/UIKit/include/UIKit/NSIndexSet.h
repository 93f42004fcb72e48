// An ordered set of indexes, as tables take them for inserting and deleting sections.
#pragma once

#include <Foundation/Foundation.h>

#include <set>

class NSIndexSet {
  public:
    NSIndexSet() = default;
    static NSIndexSet indexSetWithIndex(NSUInteger index) {
        NSIndexSet set;
        set.indexes_.insert(index);
        return set;
    }
    void addIndex(NSUInteger index) { indexes_.insert(index); }
    BOOL containsIndex(NSUInteger index) const { return indexes_.count(index) != 0; }
    NSUInteger count() const { return indexes_.size(); }
    const std::set<NSUInteger>& indexes() const { return indexes_; }

  private:
    std::set<NSUInteger> indexes_;
};
