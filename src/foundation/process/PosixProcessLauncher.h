#pragma once
// posix_spawn-based launcher. Each child gets its own process group; on the
// deadline the group gets SIGTERM, then SIGKILL after a grace period. Both
// pipes are drained together with poll(); a grandchild that keeps a pipe open
// cannot hold the caller past the deadline. Children are only ever reaped by
// pid (never waitpid(-1)); unwaited and abandoned children are reaped by a
// background reaper owned by the launcher.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/process/ProcessLauncher.h"

namespace velmora {

struct LauncherOptions {
    double defaultDeadlineSeconds = 120.0;
    double terminateGraceSeconds = 2.0;
    // After the direct child has exited, a captured pipe is read on only while
    // data keeps coming within this window: a background job that inherited
    // the pipe cannot hold the caller, and is not killed either.
    double drainAfterExitSeconds = 0.2;
    std::size_t outputCapBytes = 64u * 1024u * 1024u;
    // When set, an absolute program path P runs as systemRoot + P, and children
    // get PATH = the root's tool folders (usr/bin, bin, usr/sbin, sbin) followed
    // by `hostUtilityFolders` — never the host's own system folders.
    std::optional<std::string> systemRoot;
    std::vector<std::string> hostUtilityFolders;
    // Variables added to (or replacing in) the children's environment.
    std::map<std::string, std::string> environment;
};

class PosixProcessLauncher final : public ProcessLauncher {
public:
    // `diagnostics` receives one line when a deadline or the output cap is hit.
    PosixProcessLauncher(LauncherOptions options, std::shared_ptr<Diagnostics> diagnostics);
    ~PosixProcessLauncher() override;
    RunResult run(const RunSpec& request) override;

    const LauncherOptions& options() const;
    // The program path as it will be executed (systemRoot applied).
    std::string resolveProgram(const std::string& program) const;

    struct Impl;
private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
