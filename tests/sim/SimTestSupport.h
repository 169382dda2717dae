#pragma once
// Shared pieces of the simulator tests: a scratch folder removed afterwards
// (symlinks are removed, never followed), a machine made from a scenario, and
// running the velmora-sim command.
#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/process/PosixProcessLauncher.h"
#include "sim/state/Machine.h"
#include "sim/state/MachineFolder.h"
#include "sim/state/ScenarioLibrary.h"
#include "support/BuildPaths.h"

namespace velmora::sim::testing {

class ScratchFolder {
public:
    ScratchFolder() {
        char pattern[] = "/tmp/velmora-sim-test-XXXXXX";
        char* made = ::mkdtemp(pattern);
        if (!made) throw std::runtime_error("mkdtemp failed");
        path_ = made;
    }
    ~ScratchFolder() {
        ::nftw(
            path_.c_str(),
            [](const char* p, const struct stat*, int type, struct FTW*) {
                if (type == FTW_DP) {
                    ::rmdir(p);
                } else {
                    ::unlink(p);
                }
                return 0;
            },
            16, FTW_DEPTH | FTW_PHYS);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The stand-in binary when it is built; any program otherwise (the links
// then only have to exist).
inline std::string toolBinary() {
    const std::string built = velmora::testing::simToolProgram();
    return built.empty() ? "/bin/true" : built;
}

inline bool haveRealTools() { return !velmora::testing::simToolProgram().empty(); }

// A machine folder made from a scenario inside a scratch folder.
class ScratchMachine {
public:
    explicit ScratchMachine(const std::string& scenario = "default") {
        dir_ = MachineFolder::create(scratch_.path() + "/mac",
                                     ScenarioLibrary().load(scenario, scratch_.path() + "/mac", Machine::now()),
                                     toolBinary());
        machine_ = std::make_shared<Machine>(dir_);
    }
    const std::string& dir() const { return dir_; }
    Machine& machine() { return *machine_; }
    std::shared_ptr<Machine> shared() { return machine_; }
    const std::string& scratch() const { return scratch_.path(); }

private:
    ScratchFolder scratch_;
    std::string dir_;
    std::shared_ptr<Machine> machine_;
};

struct CommandResult {
    int status = -1;
    std::string output;
    std::string error;
};

// Runs a host program (not rooted in a machine) with captured output.
inline CommandResult runHost(const std::string& program, const std::vector<std::string>& arguments,
                             double deadline = 20) {
    static auto launcher = std::make_shared<PosixProcessLauncher>(LauncherOptions{}, std::make_shared<CapturingDiagnostics>());
    RunSpec request;
    request.program = program;
    request.arguments = arguments;
    request.output = OutputWiring::pipe;
    request.error = ErrorWiring::pipe;
    request.deadlineSeconds = deadline;
    RunResult r = launcher->run(request);
    return {r.outcome == RunResult::Outcome::exited ? r.exitStatus : -1, r.output, r.errorOutput};
}

}  // namespace velmora::sim::testing
