#include "apps/HighResourceRule.h"

#include "foundation/strings/AsciiCase.h"

namespace velmora {

namespace {

struct Estimate {
    std::string_view first;
    std::string_view second;
    double young;
    double longRunning;
};

// Only these exact spellings are estimated high; the word list above is wider
// and case-blind, so "Final" or "firefox" match it yet stay estimated low.
constexpr Estimate kEstimates[] = {
    {"adobe", "Adobe", 800, 1200},
    {"final", "pro", 1000, 1500},
    {"game", "Game", 1200, 2000},
    {"chrome", "Chrome", 400, 800},
};
constexpr double kOtherYoung = 100;
constexpr double kOtherLongRunning = 200;

}  // namespace

const std::array<std::string_view, 20>& HighResourceRule::knownWords() {
    static constexpr std::array<std::string_view, 20> words = {
        "adobe", "Adobe", "photoshop", "Photoshop", "final", "Final", "pro",   "Pro",   "chrome", "Chrome",
        "firefox", "Firefox", "xcode", "Xcode", "unity", "Unity", "game", "Game", "steam", "Steam"};
    return words;
}

bool HighResourceRule::isKnownHighResourceApp(std::string_view bundleIdentifier) {
    const std::string lower = asciiLowercased(bundleIdentifier);
    for (const auto word : knownWords()) {
        if (lower.find(asciiLowercased(word)) != std::string::npos) return true;
    }
    return false;
}

double HighResourceRule::estimateMemoryUsage(std::string_view bundleIdentifier, std::optional<Date> launchDate, Date now) {
    if (!launchDate) return 0;
    const bool longRunning = secondsBetween(*launchDate, now) > longRunningSeconds;
    for (const auto& estimate : kEstimates) {
        if (bundleIdentifier.find(estimate.first) != std::string_view::npos ||
            bundleIdentifier.find(estimate.second) != std::string_view::npos) {
            return longRunning ? estimate.longRunning : estimate.young;
        }
    }
    return longRunning ? kOtherLongRunning : kOtherYoung;
}

}  // namespace velmora
