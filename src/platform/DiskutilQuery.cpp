#include "platform/DiskutilQuery.h"

#include <utility>

#include "foundation/plist/PlistParseCache.h"

namespace velmora {

namespace {

// Shared by every owner that polls diskutil: the two disk monitors and the
// stabilizer ask the same questions and mostly get the same answers. Room
// for a listing and the descriptions of a few machines' worth of disks.
PlistParseCache& answers() {
    static PlistParseCache cache(32);
    return cache;
}

}  // namespace

RunSpec diskutilRequest(std::vector<std::string> arguments, OutputWiring output) {
    RunSpec request;
    request.program = diskutilPath;
    request.arguments = std::move(arguments);
    request.output = output;
    request.error = ErrorWiring::inherit;
    return request;
}

DiskutilAnswer queryDiskutil(ProcessLauncher& processes, std::vector<std::string> arguments,
                             DiskutilOutputRule rule) {
    const RunResult run = processes.run(diskutilRequest(std::move(arguments), OutputWiring::pipe));
    if (!run.started()) return {std::nullopt, run.errorDescription};
    PlistParseResult parsed;
    if (rule == DiskutilOutputRule::utf8TextOnly) {
        const auto text = decodeUTF8(run.output);
        if (!text) return {std::nullopt, "The data couldn’t be read because it isn’t in the correct format."};
        parsed = answers().parse(*text);
    } else {
        parsed = answers().parse(run.output);
    }
    if (!parsed.value) return {std::nullopt, std::move(parsed.error)};
    return {std::move(parsed.value), {}};
}

DiskutilAnswer queryDiskInfo(ProcessLauncher& processes, const std::string& identifier, DiskutilOutputRule rule) {
    DiskutilAnswer answer = queryDiskutil(processes, {"info", "-plist", identifier}, rule);
    if (!answer.value) return answer;
    const PlistValue& info = *answer.value;
    const auto message = info.string("ErrorMessage");
    const bool reportsError = message || info.boolean("Error") == std::optional<bool>(true) || info.find("ExitCode");
    if (reportsError || !info.string("DeviceIdentifier")) {
        std::string failure = message ? *message : "diskutil described no disk for " + identifier;
        return {std::nullopt, std::move(failure)};
    }
    return answer;
}

}  // namespace velmora
