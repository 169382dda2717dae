#pragma once
// The stabilizer's display level. Nothing in the stabilizer reads it back; it
// exists for the window, so its raw values are the texts the window shows.
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

enum class StabilityLevel { monitoring, protecting, stabilizing, maximum, powerManagement };

std::string rawValue(StabilityLevel level);
// Exactly the five raw values; anything else (other case, padding) is absent.
std::optional<StabilityLevel> stabilityLevelFromRawValue(std::string_view raw);

}  // namespace velmora
