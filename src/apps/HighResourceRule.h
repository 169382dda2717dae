#pragma once
// Which applications count as heavy, without measuring anything: a word list
// over the bundle identifier, and a fixed memory estimate by identifier and
// running time.
#include <array>
#include <optional>
#include <string_view>

#include "foundation/Date.h"

namespace velmora {

class HighResourceRule {
public:
    static constexpr double longRunningSeconds = 300.0;
    static const std::array<std::string_view, 20>& knownWords();

    // Any word of the list, compared without ASCII case.
    static bool isKnownHighResourceApp(std::string_view bundleIdentifier);
    // 0 without a launch date; otherwise the table's figure for the first
    // case-sensitive hit, the larger one once more than 300 s have passed.
    static double estimateMemoryUsage(std::string_view bundleIdentifier, std::optional<Date> launchDate, Date now);
};

}  // namespace velmora
