#include "foundation/process/PosixProcessLauncher.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "foundation/process/ChildEnvironment.h"
#include "foundation/process/ChildReaper.h"
#include "foundation/process/ChildStart.h"
#include "foundation/process/FileDescriptor.h"
#include "foundation/process/HeldProcessGroup.h"
#include "foundation/process/RunOutcomeText.h"
#include "foundation/process/SpawnedChild.h"

namespace velmora {

namespace {

using Clock = SpawnedChild::Clock;

// A killed child that still has not exited after this long is stuck in the
// kernel; it is left to the reaper rather than blocking the caller.
constexpr auto kAbandonAfterKill = std::chrono::seconds(1);
constexpr std::size_t kReadChunk = 64 * 1024;

std::string lastComponent(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string startFailureText(int error, const std::string& program) {
    const std::string name = lastComponent(program);
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "The file “" + name + "” doesn’t exist.";
        case EACCES:
        case EPERM:
        case EISDIR:
            return "The file “" + name + "” couldn’t be opened because you don’t have permission to view it.";
        default:
            return std::strerror(error);
    }
}

Clock::duration toDuration(double seconds) {
    // Clamp so that absurd or broken values neither overflow nor go negative.
    if (!(seconds > 0)) return Clock::duration::zero();
    const double capped = std::min(seconds, 10.0 * 365 * 24 * 3600);
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(capped));
}

int pollTimeout(Clock::time_point until) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

}  // namespace

struct PosixProcessLauncher::Impl {
    Impl(LauncherOptions launcherOptions, std::shared_ptr<Diagnostics> sink)
        : options(std::move(launcherOptions)), diagnostics(std::move(sink)), environment(options) {}

    RunResult run(const RunSpec& request);
    void drain(SpawnedChild& child, Pipe& output, Pipe& error, Clock::time_point deadline, RunResult& result, bool& timedOut,
               bool& overCap);
    // SIGTERM to the group, SIGKILL after the grace period; the exited child's
    // zombie keeps the group id reserved until it is reaped here or abandoned.
    void terminate(SpawnedChild& child);
    // Reaps the child, or, for a run whose jobs are kept, hands its group to
    // the result and leaves the reaping to that.
    void collect(SpawnedChild& child, RunResult& result, bool keepJobs);
    void report(const std::string& line) {
        if (diagnostics) diagnostics->line(line);
    }
    std::string resolve(const std::string& program) const {
        if (!options.systemRoot) return program;
        std::string root = *options.systemRoot;
        while (!root.empty() && root.back() == '/') root.pop_back();
        return root + program;
    }

    const LauncherOptions options;
    const std::shared_ptr<Diagnostics> diagnostics;
    const ChildEnvironment environment;
    ChildReaper reaper;
};

RunResult PosixProcessLauncher::Impl::run(const RunSpec& request) {
    RunResult result;
    if (request.program.empty() || request.program.front() != '/') {
        result.errorDescription = startFailureText(ENOENT, request.program);
        return result;
    }
    // No look at the file first: the start reports exec's own error (a
    // missing file, a folder, no permission), and every periodic run would
    // pay for two more walks of its path.
    const std::string path = resolve(request.program);

    // A run that is not waited for has nobody to read its pipes.
    const bool captureOutput = request.wait && request.output == OutputWiring::pipe;
    const bool captureError = request.wait && request.error == ErrorWiring::pipe;
    const bool merge = request.wait && request.error == ErrorWiring::mergeIntoOutput;
    Pipe output;
    Pipe error;
    if (captureOutput || merge) {
        if (const int failure = makeCloseOnExecPipe(output)) {
            result.errorDescription = startFailureText(failure, request.program);
            return result;
        }
    }
    if (captureError) {
        if (const int failure = makeCloseOnExecPipe(error)) {
            result.errorDescription = startFailureText(failure, request.program);
            return result;
        }
    }

    ChildWiring wiring;
    wiring.outputFd = output.write.get();
    wiring.errorFd = captureError ? error.write.get() : merge ? output.write.get() : -1;
    wiring.outputToNull = !request.wait && request.output == OutputWiring::pipe;
    wiring.errorToNull = request.error == ErrorWiring::nullDevice ||
                         (!request.wait && (request.error == ErrorWiring::pipe || request.error == ErrorWiring::mergeIntoOutput));

    std::vector<char*> argv;
    argv.reserve(request.arguments.size() + 2);
    argv.push_back(const_cast<char*>(request.program.c_str()));
    for (const std::string& argument : request.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    // Built before the start: nothing is allocated between vfork and exec.
    std::vector<std::string> ownEntries;
    std::vector<char*> ownBlock;
    if (!request.environment.empty()) {
        ownEntries = environment.entriesWith(request.environment);
        for (std::string& entry : ownEntries) ownBlock.push_back(entry.data());
        ownBlock.push_back(nullptr);
    }
    const auto started = Clock::now();
    const int spawnError =
        startChild(path.c_str(), argv.data(), ownBlock.empty() ? environment.block() : ownBlock.data(), wiring, pid);
    output.write.reset();
    error.write.reset();
    if (spawnError != 0) {
        result.errorDescription = startFailureText(spawnError, request.program);
        return result;
    }
    result.pid = pid;
    if (!request.wait) {
        reaper.adopt(pid);
        result.outcome = RunResult::Outcome::notWaited;
        return result;
    }

    const double deadlineSeconds = request.deadlineSeconds.value_or(options.defaultDeadlineSeconds);
    const auto deadline = started + toDuration(deadlineSeconds);
    SpawnedChild child(pid);
    if (request.started) request.started(pid, deadlineSeconds);
    bool timedOut = false;
    bool overCap = false;
    drain(child, output, error, deadline, result, timedOut, overCap);
    if (!timedOut && !overCap && !child.exited() && !child.waitForExit(deadline)) timedOut = true;

    if (overCap) {
        terminate(child);
        result.outcome = RunResult::Outcome::outputTooLarge;
        result.errorDescription = outputCapDescription(options.outputCapBytes);
        report(outputCapReport(request, options.outputCapBytes));
        return result;
    }
    if (timedOut && !child.exited()) {
        terminate(child);
        result.outcome = RunResult::Outcome::deadline;
        result.errorDescription = deadlineDescription(deadlineSeconds);
        report(deadlineReport(request, deadlineSeconds));
        return result;
    }
    // The child finished; whatever still holds a pipe is a background job it
    // started on purpose, and is left alone.
    collect(child, result, request.keepJobs);
    return result;
}

void PosixProcessLauncher::Impl::drain(SpawnedChild& child, Pipe& output, Pipe& error, Clock::time_point deadline,
                                       RunResult& result, bool& timedOut, bool& overCap) {
    struct Stream {
        FileDescriptor* fd;
        std::string* sink;
    };
    std::array<Stream, 2> streams{Stream{&output.read, &result.output}, Stream{&error.read, &result.errorOutput}};
    const auto drainWindow = toDuration(options.drainAfterExitSeconds);
    std::optional<Clock::time_point> quietUntil;
    auto checkInterval = std::chrono::milliseconds(1);
    // One buffer per thread for the program's life: a fresh zero-filled one
    // per run showed up in every periodic tool run's cost.
    thread_local const std::unique_ptr<char[]> buffer(new char[kReadChunk]);
    std::size_t total = 0;

    while (true) {
        if (!child.exited() && child.checkExited()) quietUntil = Clock::now() + drainWindow;
        const bool anyOpen = std::any_of(streams.begin(), streams.end(), [](const Stream& s) { return s.fd->open(); });
        if (!anyOpen) return;
        const auto now = Clock::now();
        if (now >= deadline) {
            timedOut = true;
            return;
        }
        if (quietUntil && now >= *quietUntil) return;

        std::array<pollfd, 3> entries{};
        std::array<Stream*, 3> owners{};
        nfds_t count = 0;
        for (Stream& stream : streams) {
            if (!stream.fd->open()) continue;
            owners[count] = &stream;
            entries[count++] = pollfd{stream.fd->get(), POLLIN, 0};
        }
        auto wakeAt = deadline;
        if (quietUntil) wakeAt = std::min(wakeAt, *quietUntil);
        if (!child.exited()) {
            if (child.exitDescriptor() >= 0) {
                entries[count++] = pollfd{child.exitDescriptor(), POLLIN, 0};
            } else {
                // No pid descriptor: look at the child now and then.
                wakeAt = std::min(wakeAt, now + checkInterval);
                checkInterval = std::min(checkInterval * 2, std::chrono::milliseconds(50));
            }
        }
        const int ready = ::poll(entries.data(), count, pollTimeout(wakeAt));
        if (ready <= 0) continue;  // timeout or EINTR: the checks above decide

        for (nfds_t i = 0; i < count; ++i) {
            if (owners[i] == nullptr || entries[i].revents == 0) continue;
            Stream& stream = *owners[i];
            const ssize_t got = ::read(stream.fd->get(), buffer.get(), kReadChunk);
            if (got > 0) {
                total += static_cast<std::size_t>(got);
                if (total > options.outputCapBytes) {
                    overCap = true;
                    return;
                }
                stream.sink->append(buffer.get(), static_cast<std::size_t>(got));
                if (quietUntil) quietUntil = Clock::now() + drainWindow;
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                stream.fd->reset();
            }
        }
    }
}

void PosixProcessLauncher::Impl::terminate(SpawnedChild& child) {
    child.signalGroup(SIGTERM);
    child.waitForExit(Clock::now() + toDuration(options.terminateGraceSeconds));
    // Also sweeps group members that outlived or ignored the SIGTERM.
    child.signalGroup(SIGKILL);
    if (child.waitForExit(Clock::now() + kAbandonAfterKill)) {
        child.reap();
    } else {
        reaper.adopt(child.pid());
    }
}

void PosixProcessLauncher::Impl::collect(SpawnedChild& child, RunResult& result, bool keepJobs) {
    if (keepJobs && !child.reaped()) {
        result.jobs = std::make_shared<HeldProcessGroup>(child.pid());
    } else {
        child.reap();
    }
    if (child.killedBySignal()) {
        result.outcome = RunResult::Outcome::signaled;
        result.signal = child.signal();
    } else {
        result.outcome = RunResult::Outcome::exited;
        result.exitStatus = child.exitStatus();
    }
}

PosixProcessLauncher::PosixProcessLauncher(LauncherOptions options, std::shared_ptr<Diagnostics> diagnostics)
    : impl_(std::make_unique<Impl>(std::move(options), std::move(diagnostics))) {}

PosixProcessLauncher::~PosixProcessLauncher() = default;

RunResult PosixProcessLauncher::run(const RunSpec& request) { return impl_->run(request); }

const LauncherOptions& PosixProcessLauncher::options() const { return impl_->options; }

std::string PosixProcessLauncher::resolveProgram(const std::string& program) const { return impl_->resolve(program); }

}  // namespace velmora
