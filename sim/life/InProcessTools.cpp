#include "sim/life/InProcessTools.h"

#include <unistd.h>

#include <cerrno>

#include "foundation/process/RunOutcomeText.h"
#include "sim/state/ToolTree.h"
#include "sim/tools/ToolRunner.h"

namespace velmora::life {

namespace {

// Thrown from a tool's wait that would pass the run's deadline. Not a
// std::exception, so the tool's own error handling cannot turn it into an
// exit status: the run ends there, as a killed process would, unjournalled.
struct DeadlinePassed {};

void writeAll(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
}

}  // namespace

InProcessTools::InProcessTools(std::string machineDir, sim::MachineClock clock,
                               std::shared_ptr<Diagnostics> diagnostics, std::size_t outputCapBytes)
    : machineDir_(std::move(machineDir)),
      clock_(std::move(clock)),
      diagnostics_(std::move(diagnostics)),
      outputCapBytes_(outputCapBytes) {}

std::string InProcessTools::toolFor(const RunSpec& request) const {
    if (!request.wait || request.keepJobs || request.program.empty() || request.program[0] != '/') return "";
    const std::string tool = sim::ToolTree::toolForPath(request.program);
    if (tool.empty()) return "";
    if (::access((machineDir_ + request.program).c_str(), X_OK) != 0) return "";
    return tool;
}

std::optional<RunResult> InProcessTools::run(const RunSpec& request, double deadlineSeconds,
                                             const std::function<void(double)>& stall) {
    const std::string tool = toolFor(request);
    if (tool.empty()) return std::nullopt;

    // Each run gets its own Machine: it holds no state but its folder, and
    // every read and write takes the folder's file lock, so runs from other
    // threads, and the tool processes of scripts, see each other's changes whole.
    sim::Machine machine(machineDir_);
    double waited = 0;
    sim::ToolRunRequest toolRequest;
    toolRequest.tool = tool;
    toolRequest.arguments = request.arguments;
    toolRequest.invokedAs = request.program;
    toolRequest.now = clock_();
    // Waits add up and are paid after the run: stalling inside the tool would
    // let other work run in the middle of it, and its exceptions pass through
    // the tool's own error handling.
    toolRequest.sleeper = [&waited, deadlineSeconds](double seconds) {
        if (waited + seconds > deadlineSeconds) throw DeadlinePassed{};
        waited += seconds;
    };

    RunResult result;
    sim::ToolRunResult ran;
    bool timedOut = false;
    try {
        ran = sim::ToolRunner::run(machine, toolRequest);
        timedOut = ran.hangs;
    } catch (const DeadlinePassed&) {
        timedOut = true;
    }
    if (timedOut) {
        stall(std::max(0.0, deadlineSeconds));
        result.outcome = RunResult::Outcome::deadline;
        result.errorDescription = deadlineDescription(deadlineSeconds);
        if (diagnostics_) diagnostics_->line(deadlineReport(request, deadlineSeconds));
        return result;
    }
    if (waited > 0) stall(waited);

    switch (request.error) {
        case ErrorWiring::inherit: writeAll(2, ran.err); break;
        case ErrorWiring::nullDevice: break;
        case ErrorWiring::pipe: result.errorOutput = std::move(ran.err); break;
        case ErrorWiring::mergeIntoOutput: ran.out += ran.err; break;
    }
    if (request.output == OutputWiring::inherit) {
        writeAll(1, ran.out);
    } else {
        result.output = std::move(ran.out);
    }
    if (result.output.size() + result.errorOutput.size() > outputCapBytes_) {
        result = RunResult{};
        result.outcome = RunResult::Outcome::outputTooLarge;
        result.errorDescription = outputCapDescription(outputCapBytes_);
        if (diagnostics_) diagnostics_->line(outputCapReport(request, outputCapBytes_));
        return result;
    }
    result.outcome = RunResult::Outcome::exited;
    // As a process's status reaches its parent: the low eight bits.
    result.exitStatus = ran.exitStatus & 0xff;
    return result;
}

}  // namespace velmora::life
