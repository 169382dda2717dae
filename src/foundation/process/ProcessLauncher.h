#pragma once
// How one child process is run: absolute program path, argument vector as is,
// standard input inherited, each output stream's wiring, wait or not, and a
// deadline. Results are values that tell the failures apart; nothing throws.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class OutputWiring { inherit, pipe };
enum class ErrorWiring { inherit, nullDevice, pipe, mergeIntoOutput };

enum class RunEffect {
    anything,
    // Power and kernel settings (pmset, sysctl, purge) and nothing about
    // disks, volumes or mounts.
    settingsOnly,
    // Reads only: queries and filters.
    nothing,
};

struct RunSpec {
    std::string program;                 // absolute path, never searched on a PATH
    std::vector<std::string> arguments;  // passed as separate arguments, never re-split
    OutputWiring output = OutputWiring::inherit;
    ErrorWiring error = ErrorWiring::inherit;
    bool wait = true;                    // false: start and return; the child is reaped later
    // Bound on the whole run, pipe reading included. Absent: the launcher's default.
    std::optional<double> deadlineSeconds;
    // The run leaves background jobs that belong to the caller: once it has
    // exited, its process group is handed back in RunResult::jobs.
    bool keepJobs = false;
    // Variables added to (or replacing in) the launcher's environment for
    // this run only, e.g. a clock value that changes from run to run.
    std::map<std::string, std::string> environment;
    // Called on the launching thread once the child runs, before it is waited
    // for, with its pid and the run's deadline in seconds: a run that keeps
    // its jobs is recorded while still running, so a crash meanwhile cannot
    // lose the jobs it starts.
    std::function<void(int pid, double deadlineSeconds)> started;
    // What the run may change, as the owner vouches for it: a launcher that
    // keeps answers to read-only queries drops only those it may have changed.
    RunEffect effect = RunEffect::anything;
};

// The background jobs a finished run left in its process group, held for the
// caller. The group's id stays reserved while held, so ending it can never
// reach an unrelated group. end(), or dropping the last reference, kills
// every process still in the group.
class BackgroundJobs {
public:
    virtual ~BackgroundJobs() = default;
    virtual void end() = 0;
};

struct RunResult {
    enum class Outcome {
        exited,          // ran to completion; exitStatus is valid
        signaled,        // killed by a signal it did not get from us; signal is valid
        startFailed,     // could not be started (missing, not executable, …)
        deadline,        // deadline passed; the process group was terminated
        outputTooLarge,  // captured output passed the cap; the process group was terminated
        notWaited,       // started and left running (RunSpec::wait == false)
    };
    Outcome outcome = Outcome::startFailed;
    int exitStatus = -1;
    int signal = 0;
    int pid = -1;
    std::string output;       // captured standard output (or merged output)
    std::string errorOutput;  // captured standard error when wired to its own pipe
    // With RunSpec::keepJobs, for a run that exited or was signaled.
    std::shared_ptr<BackgroundJobs> jobs;
    // Readable text for startFailed / deadline / outputTooLarge, e.g.
    // "The file “diskutil” doesn’t exist." style descriptions.
    std::string errorDescription;

    // True when the start succeeded in the sense the callers use: any outcome
    // except the ones that mean "no usable run".
    bool started() const {
        return outcome == Outcome::exited || outcome == Outcome::signaled || outcome == Outcome::notWaited;
    }
    bool succeeded() const { return outcome == Outcome::exited && exitStatus == 0; }
};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    virtual RunResult run(const RunSpec& request) = 0;
};

// Decodes bytes as UTF-8; absent when they are not valid UTF-8.
std::optional<std::string> decodeUTF8(const std::string& bytes);
// Decodes text whose fields a tool cut at a byte count (top's COMMAND): a
// sequence cut short at the end of a field is dropped; anything else that is
// not UTF-8 makes the text undecodable.
std::optional<std::string> decodeCutUTF8(std::string_view bytes);

}  // namespace velmora
