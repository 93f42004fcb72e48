// Dates inside property-list dictionaries. libplist++ 2.2 corrupts a PList::Date when it
// copies one (as Dictionary::Set does), so dates are put in through the C interface, and a
// dictionary that holds one is only ever copied whole (which copies at the C level).
#pragma once

#include <plist/plist++.h>

#include <cmath>
#include <cstdint>

namespace springboard {

inline void setDate(PList::Dictionary& dict, const char* key, double referenceSeconds) {
    const double whole = std::floor(referenceSeconds);
    long usec = std::lround((referenceSeconds - whole) * 1e6);
    if (usec >= 1000000) usec = 999999;
    plist_dict_set_item(dict.GetPlist(), key,
                        plist_new_date(static_cast<int32_t>(whole), static_cast<int32_t>(usec)));
}

}  // namespace springboard
