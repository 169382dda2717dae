#pragma once
// The life run's process launcher: every deadline shrinks by the run's time
// scale (the stand-in tools' own waits shrink by the same factor), and each
// run notes the dispatch context it was started from, so a tool run on the
// main thread is caught.
#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/process/ProcessLauncher.h"
#include "sim/life/LifeJobs.h"

namespace velmora::life {

class LifeLauncher final : public ProcessLauncher {
public:
    // `stall(seconds)` keeps the calling context busy for that much virtual time.
    LifeLauncher(std::shared_ptr<ProcessLauncher> inner, double timeScale, double defaultDeadline,
                 std::function<std::string()> context, std::function<void(double)> stall,
                 std::function<void()> beforeRun)
        : inner_(std::move(inner)),
          scale_(timeScale),
          defaultDeadline_(defaultDeadline),
          context_(std::move(context)),
          stall_(std::move(stall)),
          beforeRun_(std::move(beforeRun)) {}

    // Never below one real second: a plain tool run must still fit on a busy machine.
    static constexpr double minimumDeadlineSeconds = 1.0;

    RunResult run(const RunSpec& request) override {
        RunSpec scaled = request;
        scaled.deadlineSeconds =
            std::max(minimumDeadlineSeconds, request.deadlineSeconds.value_or(defaultDeadline_) * scale_);
        beforeRun_();
        const std::string context = context_();
        {
            std::lock_guard lock(mutex_);
            ++runs_;
            if (context == "main") mainThreadRuns_.push_back(request.program);
        }
        RunResult result = inner_->run(scaled);
        if (result.jobs) result.jobs = jobs_->watch(std::move(result.jobs), result.pid);
        if (result.outcome == RunResult::Outcome::deadline) {
            {
                std::lock_guard lock(mutex_);
                ++deadlines_;
            }
            // A run is otherwise instant in virtual time; one that waited out
            // its deadline cost the caller the whole deadline.
            if (!context.empty()) stall_(request.deadlineSeconds.value_or(defaultDeadline_));
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
    mutable std::mutex mutex_;
    std::vector<std::string> mainThreadRuns_;
    long runs_ = 0;
    long deadlines_ = 0;
};

}  // namespace velmora::life
