#include "system/TopSample.h"

#include "foundation/process/ProcessLauncher.h"
#include "foundation/strings/CaseFolding.h"
#include "foundation/strings/DecimalNumber.h"

namespace velmora {

namespace {

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        lines.push_back(text.substr(0, newline));
        if (newline == std::string_view::npos) break;
        text.remove_prefix(newline + 1);
    }
    return lines;
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool mentionsLargeApp(std::string_view command, const std::vector<std::string>& foldedFragments) {
    const std::string folded = caseFolded(command);
    for (const auto& fragment : foldedFragments) {
        if (folded.find(fragment) != std::string::npos) return true;
    }
    return false;
}

}  // namespace

std::vector<std::string_view> secondTopSample(std::string_view output) {
    std::vector<std::string_view> sample;
    int samplesSeen = 0;
    for (std::string_view line : linesOf(output)) {
        if (line.substr(0, 10) == "Processes:") ++samplesSeen;
        if (samplesSeen == 2) sample.push_back(line);
        if (samplesSeen > 2) break;
    }
    return sample;
}

std::vector<std::string> heavyApplicationsInTop(std::string_view output) {
    static const std::vector<std::string> foldedFragments = [] {
        std::vector<std::string> folded;
        for (auto fragment : kLargeAppFragments) folded.push_back(caseFolded(fragment));
        return folded;
    }();
    std::vector<std::string> names;
    for (std::string_view bytes : secondTopSample(output)) {
        // top cuts COMMAND at 16 bytes, maybe inside a letter; such a line
        // (or any other undecodable one) must not cost the others.
        const std::optional<std::string> line = decodeCutUTF8(bytes);
        if (!line) continue;
        const auto fields = fieldsOf(*line);
        if (fields.size() < 3) continue;
        // Only the command: a user or any other column that happens to hold
        // a fragment says nothing about the process.
        if (!mentionsLargeApp(fields[1], foldedFragments)) continue;
        const std::string_view column = fields[2];
        const auto cpu = parseDecimalNumber(column.substr(0, column.find('%')));
        if (cpu && *cpu > kLargeAppCPUThreshold) names.emplace_back(fields[1]);
    }
    return names;
}

}  // namespace velmora
