#pragma once
// "2 hours ago", "in 3 days": a date relative to a reference in a locale's
// words, full unit names, through ICU. The largest calendar unit (years,
// months, weeks, days, hours, minutes, seconds) in which the two dates differ
// is named, counted toward zero.
#include <string>

#include "foundation/Date.h"

namespace velmora {

class RelativeDateText {
public:
    // `localeIdentifier` such as "en" or "tr"; empty: ICU's default locale.
    static std::string format(Date date, Date relativeTo, const std::string& localeIdentifier);
};

}  // namespace velmora
