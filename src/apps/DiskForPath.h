#pragma once
// The disk that holds a path, as the device column of `/bin/df PATH`.
#include <optional>
#include <string>
#include <string_view>

#include "foundation/process/ProcessLauncher.h"

namespace velmora {

class DiskForPath {
public:
    // Paths of build products are never looked up.
    static bool isSkipped(std::string_view path);
    // The first field of the first data line, when that line has at least six.
    static std::optional<std::string> deviceFromOutput(std::string_view output);
    // Runs df on the calling thread (never the main thread); nothing when the
    // path is skipped, df fails or prints too little.
    static std::optional<std::string> lookup(ProcessLauncher& launcher, const std::string& path);
};

}  // namespace velmora
