#pragma once
// The optimizer's tool runs and their messages: the throughput sample, the
// per-disk remount and buffer steps, the system-wide cache and vnode steps,
// and the aggressive mode's two pmset runs. Every run waits for its tool on
// the calling thread, which is the optimizer's serial queue.
//
// A step whose line claims its effect prints it only when its tool exited 0;
// any other end is reported as that step's error.
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "disks/DiskInfo.h"
#include "performance/PerformanceMetrics.h"
#include "platform/Platform.h"

namespace velmora {

class OptimizerCommands {
public:
    explicit OptimizerCommands(Platform platform);

    // The all-zero record when iostat cannot start; absent when its output
    // has no live figure for this disk.
    std::optional<PerformanceMetrics> measureDiskPerformance(const DiskInfo& disk) const;

    // Remounts: nothing at all for a disk without a mount point.
    void optimizeHighUtilization(const DiskInfo& disk) const;
    void optimizeReadPerformance(const DiskInfo& disk) const;
    void optimizeWritePerformance(const DiskInfo& disk) const;
    // Buffer steps: every disk, mounted or not.
    void optimizeDiskCache(const DiskInfo& disk) const;
    void optimizeDiskIO(const DiskInfo& disk) const;

    void performSystemOptimization() const;
    void clearSystemCache() const;
    void optimizeSystemIO() const;

    // `pmset -g assertions`, then `pmset -b disablesleep 1` when the first
    // one exited 0.
    void applyAggressivePowerSettings() const;

    void logError(const std::string& message, const std::string& label) const;
    void line(const std::string& text) const;

    // Work queued before a stop must not outlive the stop line. Each piece
    // of work notes, when queued, the generation it belongs to and, when it
    // runs, begins under it; once stopWork() has moved the generation on,
    // its remaining tools do not start and its lines are not printed. The
    // stop line is printed under the same lock as every line, so it is the
    // last word of that work.
    std::uint64_t generation() const;
    void beginWork(std::uint64_t generation) const;  // on the optimizer's queue
    void stopWork(const std::string& stopLine);

private:
    void remount(const DiskInfo& disk, const std::string& options, const std::string& label) const;
    void runStep(const std::string& program, const std::vector<std::string>& arguments, const DiskInfo& disk,
                 const std::string& label) const;
    RunResult run(const RunSpec& request) const;
    bool current() const;

    Platform platform_;
    mutable std::mutex lineMutex_;
    std::uint64_t generation_ = 0;          // guarded by lineMutex_
    mutable std::uint64_t working_ = 0;     // the queue's own
};

// "exit status N" (or "signal N") for a run that started but did not succeed.
std::string failureOf(const RunResult& result);

}  // namespace velmora
