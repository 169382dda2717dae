#pragma once
// Keeps the list of attached whole disks current. A five-second timer asks for
// a scan on the "disk.monitor" queue; the scan compares identifiers with the
// published list and applies appends and removals on the main thread, where
// the connection callbacks fire. Also owns the marked-disk store, the
// disconnection recovery and a small periodic stabilizer of its own, whose
// scripts run on a queue of their own: the main thread never waits for a tool.
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "disks/DisconnectionRecovery.h"
#include "disks/DiskDiscovery.h"
#include "disks/DiskInfo.h"
#include "disks/MarkedDiskStore.h"
#include "disks/PeriodicDiskStabilizer.h"
#include "foundation/dispatch/TickGate.h"
#include "foundation/published/Published.h"
#include "platform/Platform.h"

namespace velmora {

class DiskMonitor : public std::enable_shared_from_this<DiskMonitor> {
public:
    static constexpr double scanIntervalSeconds = 5.0;
    static constexpr double scanThrottleSeconds = 3.0;
    static constexpr double recentlyAddedHoldSeconds = 5.0;
    static constexpr double refreshDelaySeconds = 0.5;

    static std::shared_ptr<DiskMonitor> create(Platform platform);

    // Published state: written on the main thread only.
    Published<std::vector<DiskInfo>> connectedDisks;
    Published<std::map<std::string, std::string>> diskStatus;
    Published<bool> usbConnectionStable{true};
    Published<bool> autoStabilizerActive{true};

    // Set on the main thread; called on the main thread.
    std::function<void(const DiskInfo&)> onDiskConnected;
    std::function<void(const DiskInfo&)> onDiskDisconnected;
    std::function<void(const DiskInfo&)> onUSBConnectionUnstable;
    std::function<void()> onRefreshCompleted;

    // Main thread.
    void startMonitoring();
    // The owner's stop: the scan timer goes away; the stabilizer timer keeps
    // ticking but its passes see `monitoring` false and do nothing.
    void stopMonitoring();
    void refreshDisksWithCompletion();
    void markDiskAsInternal(const std::string& identifier);
    bool isMonitoring() const { return monitoring_.load(); }

    // Discovery, on the caller's thread (not the main thread: diskutil blocks).
    std::vector<DiskInfo> getCurrentDisks() const { return discovery_->getCurrentDisks(); }
    std::optional<DiskInfo> getDiskInfo(const std::string& identifier) const { return discovery_->getDiskInfo(identifier); }
    std::string getDiskStatus(const DiskInfo& disk) const { return discovery_->getDiskStatus(disk); }

    // Enqueues one scan on the monitor's queue.
    void scanDisks();
    // One scan; runs on the monitor's queue.
    void performDiskScan();
    // Main thread: hands one stabilization pass over the external disks as
    // listed now to the stabilizer queue, unless the previous pass is still
    // queued or running.
    void performPeriodicStabilization();

    DisconnectionRecovery& recovery() const { return *recovery_; }

private:
    explicit DiskMonitor(Platform platform);
    void startAutoStabilizer();
    void updateDiskStatuses();
    void addDisk(const DiskInfo& disk);
    void removeDisk(const DiskInfo& disk);

    Platform platform_;
    std::atomic<bool> monitoring_{false};
    std::shared_ptr<Timer> timer_;
    std::shared_ptr<SerialQueue> queue_;
    // The stabilizer's scripts: start tuning, then the 30-second passes.
    std::shared_ptr<SerialQueue> stabilizerQueue_;
    TickGate stabilizationGate_;
    TickGate scanGate_;  // the timer's scans
    std::shared_ptr<DiskDiscovery> discovery_;
    std::shared_ptr<DisconnectionRecovery> recovery_;
    MarkedDiskStore markedDisks_;
    PeriodicDiskStabilizer stabilizer_;
    Date lastDiskScanTime_ = dateFromSeconds(0);  // the monitor queue only
    // The status last handed to the main thread per disk (the monitor queue only).
    std::map<std::string, std::string> postedStatuses_;
    // Inserted into by the scan on the queue, emptied by delayed blocks on the
    // main thread.
    std::mutex recentlyAddedMutex_;
    std::set<std::string> recentlyAddedDisks_;
};

}  // namespace velmora
