#include "performance/IostatOutput.h"

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

PerformanceMetrics parseIostatOutput(std::string_view text, std::string_view diskId) {
    const auto lines = firstLines(text, 3);
    if (lines.size() < 3) return {};
    const auto names = fieldsOf(lines[0]);
    std::size_t group = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == diskId) {
            group = i;
            break;
        }
    }
    const auto values = fieldsOf(lines[2]);
    const std::size_t column = group * kColumnsPerDisk + kThroughputColumn;
    if (column >= values.size()) return {};
    const auto megabytesPerSecond = parseDecimalNumber(values[column]);
    if (!megabytesPerSecond) return {};
    PerformanceMetrics metrics;
    metrics.readSpeed = *megabytesPerSecond;
    metrics.writeSpeed = *megabytesPerSecond;
    return metrics;
}

}  // namespace velmora
