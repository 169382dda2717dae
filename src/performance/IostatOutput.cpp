#include "performance/IostatOutput.h"

#include <algorithm>
#include <vector>

#include "foundation/strings/DecimalNumber.h"

namespace velmora {

namespace {

constexpr std::size_t kColumnsPerDisk = 3;  // KB/t, tps, MB/s
constexpr std::size_t kThroughputColumn = 2;

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

std::vector<std::string_view> firstLines(std::string_view text, std::size_t count) {
    std::vector<std::string_view> lines;
    while (lines.size() < count && !text.empty()) {
        const auto newline = text.find('\n');
        lines.push_back(text.substr(0, newline));
        if (newline == std::string_view::npos) break;
        text.remove_prefix(newline + 1);
    }
    return lines;
}

}  // namespace

std::optional<PerformanceMetrics> parseIostatOutput(std::string_view text, std::string_view diskId) {
    constexpr std::size_t kLiveReport = 3;  // names, columns, since boot, live
    const auto lines = firstLines(text, kLiveReport + 1);
    if (lines.size() <= kLiveReport) return std::nullopt;
    const auto names = fieldsOf(lines[0]);
    const auto named = std::find(names.begin(), names.end(), diskId);
    if (named == names.end()) return std::nullopt;
    const auto group = static_cast<std::size_t>(named - names.begin());
    const auto values = fieldsOf(lines[kLiveReport]);
    const std::size_t column = group * kColumnsPerDisk + kThroughputColumn;
    if (column >= values.size()) return std::nullopt;
    const auto megabytesPerSecond = parseDecimalNumber(values[column]);
    if (!megabytesPerSecond) return std::nullopt;
    PerformanceMetrics metrics;
    metrics.readSpeed = *megabytesPerSecond;
    metrics.writeSpeed = *megabytesPerSecond;
    return metrics;
}

}  // namespace velmora
