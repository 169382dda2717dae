#pragma once
// One `diskutil … -plist` question: the tool run with its output piped, its
// error stream left alone and waited for, and the answer read as a property
// list.
#include <optional>
#include <string>
#include <vector>

#include "foundation/plist/PlistValue.h"
#include "foundation/process/ProcessLauncher.h"

namespace velmora {

inline constexpr const char* diskutilPath = "/usr/sbin/diskutil";

// A waited diskutil run with the given arguments, standard output wired as
// given and the error stream inherited.
RunSpec diskutilRequest(std::vector<std::string> arguments, OutputWiring output);

// What output is handed to the property-list parser.
enum class DiskutilOutputRule {
    anyBytes,      // the bytes as captured (binary property lists included)
    utf8TextOnly,  // refused before parsing unless it is valid UTF-8 text
};

struct DiskutilAnswer {
    std::optional<PlistValue> value;  // absent on failure
    std::string failure;              // why there is no value: the run's or the parser's description
};

DiskutilAnswer queryDiskutil(ProcessLauncher& processes, std::vector<std::string> arguments,
                             DiskutilOutputRule rule);

// `diskutil info -plist IDENTIFIER`. A disk that went away after it was
// listed is answered with an error dictionary ("Error", "ErrorMessage",
// "ExitCode") instead of a description; that, or any answer that names no
// "DeviceIdentifier", describes no disk and comes back as a failure.
DiskutilAnswer queryDiskInfo(ProcessLauncher& processes, const std::string& identifier, DiskutilOutputRule rule);

}  // namespace velmora
