#include "stabilizer/StabilityLevel.h"

#include <array>
#include <utility>

namespace velmora {

namespace {
constexpr std::array<std::pair<StabilityLevel, std::string_view>, 5> kRawValues{{
    {StabilityLevel::monitoring, "Monitoring"},
    {StabilityLevel::protecting, "Protecting"},
    {StabilityLevel::stabilizing, "Stabilizing"},
    {StabilityLevel::maximum, "Maximum Protection"},
    {StabilityLevel::powerManagement, "Power Management Active"},
}};
}  // namespace

std::string rawValue(StabilityLevel level) {
    for (const auto& [candidate, raw] : kRawValues) {
        if (candidate == level) return std::string(raw);
    }
    return std::string(kRawValues.front().second);
}

std::optional<StabilityLevel> stabilityLevelFromRawValue(std::string_view raw) {
    for (const auto& [level, candidate] : kRawValues) {
        if (candidate == raw) return level;
    }
    return std::nullopt;
}

}  // namespace velmora
