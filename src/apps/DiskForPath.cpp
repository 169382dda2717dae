#include "apps/DiskForPath.h"

#include <vector>

namespace velmora {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

bool DiskForPath::isSkipped(std::string_view path) {
    return path.empty() || path.find("DerivedData") != std::string_view::npos ||
           path.find("Debug") != std::string_view::npos || path.find("Release") != std::string_view::npos;
}

std::optional<std::string> DiskForPath::deviceFromOutput(std::string_view output) {
    const auto firstBreak = output.find('\n');
    if (firstBreak == std::string_view::npos) return std::nullopt;
    std::string_view line = output.substr(firstBreak + 1);
    line = line.substr(0, line.find('\n'));
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && isSpace(line[at])) ++at;
        const std::size_t start = at;
        while (at < line.size() && !isSpace(line[at])) ++at;
        if (at > start) fields.push_back(line.substr(start, at - start));
    }
    if (fields.size() < 6) return std::nullopt;
    return std::string(fields.front());
}

std::optional<std::string> DiskForPath::lookup(ProcessLauncher& launcher, const std::string& path) {
    if (isSkipped(path)) return std::nullopt;
    RunSpec request;
    request.program = "/bin/df";
    request.arguments = {path};
    request.output = OutputWiring::pipe;
    request.error = ErrorWiring::pipe;
    const RunResult result = launcher.run(request);
    if (!result.succeeded()) return std::nullopt;
    const auto text = decodeUTF8(result.output);
    return deviceFromOutput(text.value_or(""));
}

}  // namespace velmora
