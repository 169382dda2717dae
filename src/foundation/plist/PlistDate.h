#pragma once
// Property-list dates count seconds from 2001-01-01T00:00:00Z and are written
// as ISO 8601 text with whole seconds in UTC ("2024-05-01T10:20:30Z").
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/Date.h"

namespace velmora::plistdate {

// Seconds between the Unix epoch and the property-list epoch.
inline constexpr std::int64_t kEpochOffset = 978307200;

Date fromReferenceSeconds(std::int64_t seconds);
// Whole seconds since the property-list epoch, rounded down.
std::int64_t toReferenceSeconds(Date date);

// "YYYY-MM-DDTHH:MM:SS" with an optional trailing "Z", surrounding white space
// allowed. Absent when the text is not such a date.
std::optional<std::int64_t> parseIsoReferenceSeconds(std::string_view text);
std::string formatIso(std::int64_t referenceSeconds);

}  // namespace velmora::plistdate
