#pragma once
// The life run's process launcher. A run of one of the machine's stand-in
// tools happens in-process on virtual time; every other run (scripts, and
// the tools they start) is a real process, whose deadline shrinks by the
// run's time scale (the stand-in tools' own waits shrink by the same factor)
// and which reads the virtual clock from VELMORA_SIM_NOW. Each run notes the
// dispatch context it was started from, so a tool run on the main thread is
// caught.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/process/ProcessLauncher.h"
#include "sim/life/LifeJobs.h"
#include "sim/life/InProcessTools.h"

namespace velmora::life {

class LifeLauncher final : public ProcessLauncher {
public:
    // `stall(seconds)` keeps the calling context busy for that much virtual time.
    LifeLauncher(std::shared_ptr<ProcessLauncher> inner, double timeScale, double defaultDeadline,
                 std::function<std::string()> context, std::function<void(double)> stall,
                 std::function<void()> beforeRun, sim::MachineClock clock, const std::string& machineDir,
                 std::shared_ptr<Diagnostics> diagnostics, std::size_t outputCapBytes, bool inProcessTools = true)
        : inner_(std::move(inner)),
          scale_(timeScale),
          defaultDeadline_(defaultDeadline),
          context_(std::move(context)),
          stall_(std::move(stall)),
          beforeRun_(std::move(beforeRun)),
          clock_(clock),
          tools_(machineDir, clock, std::move(diagnostics), outputCapBytes),
          inProcessTools_(inProcessTools) {}

    // Never below one real second: a plain tool run must still fit on a busy machine.
    static constexpr double minimumDeadlineSeconds = 1.0;

    RunResult run(const RunSpec& request) override {
        const double deadline = request.deadlineSeconds.value_or(defaultDeadline_);
        beforeRun_();
        const std::string context = context_();
        {
            std::lock_guard lock(mutex_);
            ++runs_;
            if (context == "main") mainThreadRuns_.push_back(request.program);
        }
        // Outside any block nothing is there to stall.
        auto stallCaller = [&](double seconds) {
            if (!context.empty()) stall_(seconds);
        };
        if (auto result = inProcessTools_ ? tools_.run(request, deadline, stallCaller) : std::nullopt) {
            std::lock_guard lock(mutex_);
            ++inProcessRuns_;
            if (result->outcome == RunResult::Outcome::deadline) ++deadlines_;
            return std::move(*result);
        }
        RunSpec scaled = request;
        scaled.deadlineSeconds = std::max(minimumDeadlineSeconds, deadline * scale_);
        char now[32];
        std::snprintf(now, sizeof now, "%.3f", clock_());
        scaled.environment["VELMORA_SIM_NOW"] = now;
        RunResult result = inner_->run(scaled);
        if (result.jobs) result.jobs = jobs_->watch(std::move(result.jobs), result.pid);
        if (result.outcome == RunResult::Outcome::deadline) {
            {
                std::lock_guard lock(mutex_);
                ++deadlines_;
            }
            // A run is otherwise instant in virtual time; one that waited out
            // its deadline cost the caller the whole deadline.
            stallCaller(deadline);
        }
        return result;
    }

    std::vector<std::string> mainThreadRuns() const {
        std::lock_guard lock(mutex_);
        return mainThreadRuns_;
    }
    InstanceJobs& jobs() { return *jobs_; }
    long runs() const {
        std::lock_guard lock(mutex_);
        return runs_;
    }
    long inProcessRuns() const {
        std::lock_guard lock(mutex_);
        return inProcessRuns_;
    }
    long deadlines() const {
        std::lock_guard lock(mutex_);
        return deadlines_;
    }

private:
    std::shared_ptr<ProcessLauncher> inner_;
    double scale_;
    double defaultDeadline_;
    std::function<std::string()> context_;
    std::function<void(double)> stall_;
    std::function<void()> beforeRun_;
    std::shared_ptr<InstanceJobs> jobs_ = std::make_shared<InstanceJobs>();
    sim::MachineClock clock_;
    InProcessTools tools_;
    bool inProcessTools_;
    mutable std::mutex mutex_;
    std::vector<std::string> mainThreadRuns_;
    long runs_ = 0;
    long inProcessRuns_ = 0;
    long deadlines_ = 0;
};

}  // namespace velmora::life
