// A row of a table: its section and its row within the section.
#pragma once

#include <Foundation/Foundation.h>

#include <compare>

class NSIndexPath {
  public:
    static NSIndexPath indexPathForRowInSection(NSUInteger row, NSUInteger section) {
        return NSIndexPath(section, row);
    }
    NSUInteger section() const { return section_; }
    NSUInteger row() const { return row_; }
    auto operator<=>(const NSIndexPath&) const = default;

  private:
    NSIndexPath(NSUInteger section, NSUInteger row) : section_(section), row_(row) {}
    NSUInteger section_;
    NSUInteger row_;
};
