#pragma once
// Keeps a picture of the regular (Dock-visible) applications that run, the
// disks each depends on, and the ones likely to load the machine. A 15-second
// timer asks for a scan on the "app.launcher" queue; a tick whose previous
// scan is still queued or running is skipped. The scan runs df there (at most
// twice per application: its bundle and its working directory) and hands the
// three collections to the main thread.
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apps/AppInfo.h"
#include "foundation/dispatch/TickGate.h"
#include "foundation/published/Published.h"
#include "platform/Platform.h"

namespace velmora {

class AppLauncher : public std::enable_shared_from_this<AppLauncher> {
public:
    static constexpr double scanIntervalSeconds = 15.0;

    static std::shared_ptr<AppLauncher> create(Platform platform);

    // Published state: written on the main thread only.
    Published<std::vector<AppInfo>> runningApps;
    Published<std::map<std::string, std::vector<AppInfo>>> diskApps;
    Published<std::vector<AppInfo>> highResourceApps;

    const double highCPUThreshold = 25.0;     // kept for the window; no rule reads it
    const double highMemoryThreshold = 500.0;

    // Set on the main thread; called there once for each application that
    // enters `highResourceApps`, right after the lists are published.
    std::function<void(const AppInfo&)> onHighResourceAppDetected;

    // Main thread.
    void startMonitoring();
    void stopMonitoring();
    bool isMonitoring() const { return monitoring_.load(); }
    // Asks for one scan unless the previous one is still queued or running.
    void scanRunningApps();

    // The scan's steps, on the caller's thread (the queue: they run df).
    std::vector<AppInfo> getRunningApps();
    std::optional<std::string> getDiskForPath(const std::string& path);
    std::vector<AppInfo> detectHighResourceAppsBackground(const std::vector<AppInfo>& apps);

private:
    explicit AppLauncher(Platform platform);
    void performAppScan(TickGate::PassHandle pass);
    void publish(std::vector<AppInfo> apps, std::vector<AppInfo> heavy);
    void updateDiskApps();
    std::vector<std::string> getAppDiskDependencies(const RunningApplication& app);
    std::optional<std::string> getWorkingDirectory(const RunningApplication& app);
    bool isOwnApplication(const RunningApplication& app, const std::string& bundleIdentifier) const;
    double getMemoryUsageOptimized(const std::string& bundleIdentifier);

    Platform platform_;
    std::atomic<bool> monitoring_{false};
    std::shared_ptr<Timer> timer_;
    std::shared_ptr<SerialQueue> queue_;
    TickGate scanGate_;
};

}  // namespace velmora
