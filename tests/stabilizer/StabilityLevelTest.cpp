#include "stabilizer/StabilityLevel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "stabilizer/ShortTimeText.h"

namespace velmora {
namespace {

TEST(StabilityLevel, RawValuesRoundTripAndNothingElseIsAccepted) {
    const std::pair<StabilityLevel, const char*> levels[] = {
        {StabilityLevel::monitoring, "Monitoring"},
        {StabilityLevel::protecting, "Protecting"},
        {StabilityLevel::stabilizing, "Stabilizing"},
        {StabilityLevel::maximum, "Maximum Protection"},
        {StabilityLevel::powerManagement, "Power Management Active"},
    };
    for (const auto& [level, raw] : levels) {
        EXPECT_EQ(rawValue(level), raw);
        EXPECT_EQ(stabilityLevelFromRawValue(raw), level);
    }
    for (const char* other : {"", "monitoring", "Maximum", "maximum", "Protecting ", " Stabilizing",
                              "Power Management", "powerManagement"}) {
        EXPECT_FALSE(stabilityLevelFromRawValue(other).has_value()) << other;
    }
}

TEST(ShortTimeText, HoursAndMinutesInLocalTime) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(shortTimeText(dateFromSeconds(1767225600.0)), "00:00");
    EXPECT_EQ(shortTimeText(dateFromSeconds(1767225600.0 + 14 * 3600 + 5 * 60 + 59)), "14:05");
    setenv("TZ", "Europe/Istanbul", 1);
    tzset();
    EXPECT_EQ(shortTimeText(dateFromSeconds(1767225600.0 + 23 * 3600 + 30 * 60)), "02:30");
}

}  // namespace
}  // namespace velmora
