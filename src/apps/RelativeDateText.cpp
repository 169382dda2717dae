#include "apps/RelativeDateText.h"

#include <memory>

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

namespace velmora {

namespace {

UDate toUDate(Date date) { return secondsSinceEpoch(date) * 1000.0; }

}  // namespace

std::string RelativeDateText::format(Date date, Date relativeTo, const std::string& localeIdentifier) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = localeIdentifier.empty() ? icu::Locale::getDefault() : icu::Locale(localeIdentifier.c_str());
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(locale, status));
    icu::RelativeDateTimeFormatter formatter(locale, nullptr, UDAT_STYLE_LONG, UDISPCTX_CAPITALIZATION_NONE, status);
    if (U_FAILURE(status) || !calendar) return {};
    calendar->setTime(toUDate(relativeTo), status);

    struct Step {
        UCalendarDateFields field;
        URelativeDateTimeUnit unit;
    };
    static constexpr Step steps[] = {
        {UCAL_YEAR, UDAT_REL_UNIT_YEAR},     {UCAL_MONTH, UDAT_REL_UNIT_MONTH},   {UCAL_WEEK_OF_YEAR, UDAT_REL_UNIT_WEEK},
        {UCAL_DATE, UDAT_REL_UNIT_DAY},      {UCAL_HOUR_OF_DAY, UDAT_REL_UNIT_HOUR}, {UCAL_MINUTE, UDAT_REL_UNIT_MINUTE},
        {UCAL_SECOND, UDAT_REL_UNIT_SECOND},
    };
    double offset = 0;
    URelativeDateTimeUnit unit = UDAT_REL_UNIT_SECOND;
    for (const auto& step : steps) {
        const int32_t difference = calendar->fieldDifference(toUDate(date), step.field, status);
        if (U_FAILURE(status)) return {};
        if (difference != 0) {
            offset = difference;
            unit = step.unit;
            break;
        }
    }
    icu::UnicodeString text;
    formatter.formatNumeric(offset, unit, text, status);
    if (U_FAILURE(status)) return {};
    std::string out;
    text.toUTF8String(out);
    return out;
}

}  // namespace velmora
