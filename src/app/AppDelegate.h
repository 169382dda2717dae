#pragma once
// The application delegate: the launch sequence, its own group of managers
// (a disk monitor, an application tracker and an optimizer that it never
// starts), the user notifications and corrective commands their events lead
// to, the window calls, and the stop at quit.
//
// Threads: every method runs on the main thread. The three disk commands
// (chmod, kextstat, mount) never block it: chmod runs on a global queue and
// reports when it exits; kextstat and mount run on the serial queue
// "app.delegate" in the order the heavy-application handler asks for them,
// and what follows them comes back to the main thread. Handlers and queued
// blocks hold the delegate weakly.
#include <memory>
#include <string>

#include "app/AutoStart.h"
#include "app/ConsoleFiltering.h"
#include "app/MainWindowController.h"
#include "app/StatusMenu.h"
#include "apps/AppLauncher.h"
#include "disks/DiskMonitor.h"
#include "performance/PerformanceOptimizer.h"
#include "platform/Platform.h"

namespace velmora {

class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
public:
    static constexpr const char* massStorageBundleIdentifier = "com.apple.iokit.IOUSBMassStorageClass";
    static constexpr double kextstatDeadlineSeconds = 10.0;
    static constexpr double chmodDeadlineSeconds = 30.0;
    static constexpr double mountDeadlineSeconds = 60.0;

    // `windows` shows, hides and creates the main window for the delegate.
    static std::shared_ptr<AppDelegate> create(Platform platform, std::shared_ptr<ProcessConsole> console,
                                               std::shared_ptr<MainWindowController> windows);

    void applicationDidFinishLaunching();
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    bool applicationShouldTerminateAfterLastWindowClosed() const { return false; }
    void applicationWillTerminate();

    void startDiskMonitoring();
    void handleDiskConnected(const DiskInfo& disk);
    void handleDiskDisconnected(const DiskInfo& disk);
    void checkRunningApps(const DiskInfo& disk);
    void handleHighResourceAppDetected(const AppInfo& app);
    void setDiskPermissions(const DiskInfo& disk);
    // Stops the delegate's group; a second call does nothing.
    void stopServices();

    // The blocking steps, for the "app.delegate" queue.
    void stabilizeUSBConnection(const DiskInfo& disk);
    void optimizeMountParameters(const DiskInfo& disk);

    // The status menu's and the scene's actions.
    void showMainWindow() { windows_->showMainWindow(); }
    void toggleAutoStart() { autoStart_->toggleAutoStart(); }

    // Empty until launch.
    const std::shared_ptr<StatusMenu>& statusItem() const { return statusItem_; }
    const std::shared_ptr<DiskMonitor>& diskMonitor() const { return diskMonitor_; }
    const std::shared_ptr<AppLauncher>& appLauncher() const { return appLauncher_; }
    const std::shared_ptr<PerformanceOptimizer>& performanceOptimizer() const { return performanceOptimizer_; }
    const std::shared_ptr<MainWindowController>& windows() const { return windows_; }

private:
    AppDelegate(Platform platform, std::shared_ptr<ProcessConsole> console,
                std::shared_ptr<MainWindowController> windows);
    void setupStatusBar();
    // Each throughput sample of the optimizer goes into the disk's history.
    void recordThroughput();
    void say(const std::string& line) const { platform_.diagnostics->line(line); }

    Platform platform_;
    std::shared_ptr<ProcessConsole> console_;
    std::shared_ptr<MainWindowController> windows_;
    std::shared_ptr<AutoStart> autoStart_;
    std::shared_ptr<SerialQueue> queue_;
    std::shared_ptr<StatusMenu> statusItem_;
    std::shared_ptr<DiskMonitor> diskMonitor_;
    std::shared_ptr<AppLauncher> appLauncher_;
    std::shared_ptr<PerformanceOptimizer> performanceOptimizer_;
    // The tracker's list before its latest scan (main thread).
    std::vector<AppInfo> previousRunningApps_;
    // Said once per run, on the delegate's queue: recent macOS lists the
    // mass-storage driver under another name, and the check would otherwise
    // skip the mount tuning silently on every heavy application.
    bool saidDriverNotListed_ = false;
    bool stopped_ = false;
};

}  // namespace velmora
