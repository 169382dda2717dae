#pragma once
// What the monitor does when a known external disk stops being listed: it
// counts the disconnection, looks for USB enumeration failures naming the disk
// in the system log, and runs the recovery chain or, from the third
// disconnection on, a reconnection attempt. Owned by one DiskMonitor; delayed
// work holds this object weakly, so it ends with its monitor.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "disks/DiskDiscovery.h"
#include "disks/DiskInfo.h"
#include "platform/Platform.h"

namespace velmora {

class DisconnectionRecovery : public std::enable_shared_from_this<DisconnectionRecovery> {
public:
    static constexpr int unstableDisconnectionCount = 3;
    static constexpr double recoveryWaitSeconds = 5.0;
    static constexpr double unmountPauseSeconds = 2.0;

    // How outcomes reach the monitor's published state. Both are called on
    // the main thread.
    struct Events {
        std::function<void(bool stable)> connectionStable;
        // The connection is judged unstable (the flag goes false and the
        // monitor's own callback fires).
        std::function<void(const DiskInfo& disk)> connectionUnstable;
    };

    static std::shared_ptr<DisconnectionRecovery> create(Platform platform, std::shared_ptr<const DiskDiscovery> discovery,
                                                         Events events);

    // Called on the monitor's queue for a record that vanished from the listing.
    void handleDiskDisconnection(const DiskInfo& disk);
    bool checkForEnumerationFailure(const DiskInfo& disk);
    void handleEnumerationFailure(const DiskInfo& disk);
    void verifyEnumerationRecovery(const DiskInfo& disk);
    void performUSBHubSoftReset();
    void performEnumerationRecovery(const DiskInfo& disk);
    void refreshUSBController();
    void performEnhancedEnumerationRecovery(const DiskInfo& disk);
    void attemptReconnection(const DiskInfo& disk);
    void forceReconnectUSBDisk(const DiskInfo& disk);
    void attemptMountUnmount(const DiskInfo& disk);

    int disconnectionCount(const std::string& identifier) const;
    std::optional<Date> lastSeenTime(const std::string& identifier) const;

private:
    DisconnectionRecovery(Platform platform, std::shared_ptr<const DiskDiscovery> discovery, Events events);
    void runStabilizerScript(const Script& script) const;
    void recovered(const DiskInfo& disk);
    void announceStable(bool stable);
    void remember(const DiskInfo& disk, HistoryKind kind, std::string detail, double value = 0) const;

    Platform platform_;
    std::shared_ptr<const DiskDiscovery> discovery_;
    Events events_;
    // The queue raises counts while delayed recovery on a global queue resets
    // them, so the two maps sit behind one small lock.
    mutable std::mutex mutex_;
    std::map<std::string, int> disconnectionCount_;
    std::map<std::string, Date> lastSeenTime_;
};

}  // namespace velmora
