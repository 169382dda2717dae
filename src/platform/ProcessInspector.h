#pragma once
// Facts about running processes that need no child process to learn: the
// program's own process and another process's current working directory
// (on macOS through proc_pidinfo with PROC_PIDVNODEPATHINFO).
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The program's own bundle identifier, as the application bundle declares it.
inline constexpr std::string_view kOwnBundleIdentifier = "com.orrindel.velmora";

struct WorkingDirectoryAnswer {
    std::optional<std::string> path;  // absolute when present
    std::string failure;              // why there is none; empty when `path` is present
};

class ProcessInspector {
public:
    virtual ~ProcessInspector() = default;
    virtual WorkingDirectoryAnswer workingDirectory(int processIdentifier) = 0;
    virtual int ownProcessIdentifier() const = 0;
};

}  // namespace velmora
