#pragma once
// Keeps the Mac awake while disks are in use (two power assertions), switches
// to an aggressive power mode when a heavy application shows up, samples each
// connected disk and tunes it, and every 30 seconds while started runs a
// system-wide cache and vnode pass.
//
// Threads: start, stop, the aggressive mode's entry, the timer and every
// published write run on the main thread; every tool run (per-disk work,
// the system pass, the aggressive mode's pmset runs) happens on the serial
// queue "performance.optimizer", so the main thread never waits for a tool.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "disks/DiskInfo.h"
#include "foundation/dispatch/TickGate.h"
#include "foundation/published/Published.h"
#include "performance/OptimizerCommands.h"
#include "performance/PerformanceMetrics.h"
#include "platform/Platform.h"

namespace velmora {

class PerformanceOptimizer : public std::enable_shared_from_this<PerformanceOptimizer> {
public:
    static constexpr double systemOptimizationIntervalSeconds = 30.0;
    static constexpr int assertionLevelOn = 255;
    static constexpr const char* powerManagementActiveKey = "PowerManagementActive";

    // Reads the persisted flag; starts nothing.
    static std::shared_ptr<PerformanceOptimizer> create(Platform platform);
    ~PerformanceOptimizer();
    PerformanceOptimizer(const PerformanceOptimizer&) = delete;
    PerformanceOptimizer& operator=(const PerformanceOptimizer&) = delete;

    // Published state: written on the main thread only. Entries of
    // `diskPerformance` are replaced, never removed.
    Published<std::map<std::string, PerformanceMetrics>> diskPerformance;
    // Declared for the window; nothing changes it.
    Published<std::map<std::string, std::string>> optimizationStatus;
    // Every assignment is also stored under "PowerManagementActive".
    Published<bool> powerManagementActive{false};
    void setPowerManagementActive(bool active);

    // Main thread. A second start while started does nothing.
    void startOptimization();
    void stopOptimization();
    bool isOptimizing() const { return optimizing_.load(); }

    // On the caller's thread; the flag change they cause is queued to the
    // main thread.
    void enableUSBPowerManagement();
    void disableUSBPowerManagement();
    std::uint32_t powerAssertion() const;
    std::uint32_t usbPowerAssertion() const;

    // Main thread: the flag (stored) and its line at once, the pmset runs on
    // the queue.
    void enableAggressivePowerManagement();

    // Queue the per-disk work / one system pass on the optimizer's queue.
    void optimizeDisk(const DiskInfo& disk);
    void optimizeAllDisks();

    // The work itself, on the optimizer's queue.
    void performDiskOptimization(const DiskInfo& disk);
    void performSystemOptimization();

    // Declared and never consulted: every error is printed.
    bool silentMode = false;
    const std::vector<std::string> ignoredErrors = {"Operation not permitted", "invalid special file or file system",
                                                    "Unable to change file mode", "Unable to purge disk buffers"};

private:
    // Runs `work` on the queue unless the optimizer stops before it begins.
    void enqueue(std::function<void(PerformanceOptimizer&)> work);
    explicit PerformanceOptimizer(Platform platform);
    void postPowerManagementActive(bool active);

    Platform platform_;
    OptimizerCommands commands_;
    std::shared_ptr<SerialQueue> queue_;
    std::atomic<bool> optimizing_{false};
    std::shared_ptr<Timer> timer_;
    TickGate systemPassGate_;
    // Taken and released on the caller's thread; a stop on the main thread
    // may meet a take elsewhere, so the identifiers are serialised.
    mutable std::mutex assertionMutex_;
    std::uint32_t powerAssertion_ = 0;
    std::uint32_t usbPowerAssertion_ = 0;
};

}  // namespace velmora
