#include "app/KextstatListing.h"

#include <vector>

namespace velmora {

namespace {

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
        const std::size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r') ++at;
        if (at > start) out.push_back(line.substr(start, at - start));
    }
    return out;
}

bool isIndex(std::string_view field) {
    if (field.empty()) return false;
    for (char c : field) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

bool kextstatListsBundle(std::string_view output, std::string_view bundleIdentifier) {
    if (bundleIdentifier.empty()) return false;
    while (!output.empty()) {
        const std::size_t end = output.find('\n');
        const std::string_view line = output.substr(0, end);
        output = end == std::string_view::npos ? std::string_view{} : output.substr(end + 1);
        const auto row = fields(line);
        if (row.empty() || !isIndex(row.front())) continue;
        for (std::size_t i = 1; i < row.size(); ++i) {
            if (row[i] == bundleIdentifier) return true;
        }
    }
    return false;
}

}  // namespace velmora
