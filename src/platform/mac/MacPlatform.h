#pragma once
// A whole Platform on macOS: the processes run with the POSIX launcher on the
// real system, and every service is the system's own.
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace velmora::mac {

struct MacPlatformOptions {
    // Modal alerts are drawn by the front end (Qt message boxes).
    std::shared_ptr<Alerts> alerts;
    // The running program's bundle path in place of the one the system gives.
    std::optional<std::string> bundlePath;
};

Platform makeMacPlatform(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Diagnostics> diagnostics,
                         MacPlatformOptions options);

}  // namespace velmora::mac
