#pragma once
// The main window without its drawing: it owns the window's own managers
// (the stabilizer starts with it), follows the process-wide system monitor,
// holds the window's view state, runs the user's commands with their timing
// on the platform scheduler, and works out everything the window shows as
// plain values. A view draws those values and redraws when `revision` moves.
//
// Threads: everything here runs on the main thread; the managers keep their
// own background work. Delayed steps and manager callbacks hold the model
// weakly and do nothing once it is gone.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/WindowHost.h"
#include "disks/DiskInfo.h"
#include "foundation/published/Published.h"
#include "platform/Platform.h"
#include "ui/model/DiskHistoryView.h"
#include "ui/model/DiskCards.h"
#include "ui/model/ProtectionCards.h"

namespace velmora {

class AppLauncher;
class AuthorizationManager;
class AutomaticUSBStabilizer;
class DiskMonitor;
class InternalDiskMarker;
class LaunchServicesManager;
class PerformanceOptimizer;
class SharedSystemMonitor;
class StartupManager;

// A button of the left column: a symbol (or a progress indicator) and a label.
struct SideButton {
    std::string symbol;
    std::string label;
    bool showsProgress = false;
};

// A large button under the cards.
struct ActionButtonState {
    std::string title;
    std::string subtitle;
    std::string displayedSubtitle;  // what the face shows: a disabled button explains why
    std::string icon;
    bool isLoading = false;
    bool isDisabled = false;
};

class MainWindowModel : public RootView, public std::enable_shared_from_this<MainWindowModel> {
public:
    static constexpr const char* aggressivePowerKey = "isAggressivePowerActive";
    static constexpr const char* refreshDoneMark = "✅";
    // The fixed texts of the window's frame.
    static constexpr const char* title = "Velmora";
    static constexpr const char* subtitle = "Version 2.0";
    static constexpr const char* iconAsset = "AppIconImage";
    static constexpr const char* protectionHeading = "System Protection Status";
    // The footer's link to the maker.
    static constexpr const char* makerWebAddress = "https://orrindel.com";
    static constexpr double autoRefreshDelaySeconds = 0.5;
    static constexpr double refreshLabelResetSeconds = 0.6;
    static constexpr double refreshDoneHoldSeconds = 1.0;
    static constexpr double optimizeSeconds = 2.0;
    static constexpr double makeInternalHoldSeconds = 2.0;
    static constexpr double systemRefreshSeconds = 1.0;
    static constexpr double aggressiveActivationSeconds = 1.0;
    // The cards' history is read again this often, and this long after the
    // disk list changes (the writer has committed what the change brought by then).
    static constexpr double historyReloadSeconds = 60.0;
    static constexpr double historyAfterChangeSeconds = 1.0;

    // Main thread. Creates the window's managers; the stabilizer starts now,
    // the rest on the first appearance. `systemMonitor` may be null.
    static std::shared_ptr<MainWindowModel> create(Platform platform, std::shared_ptr<SharedSystemMonitor> systemMonitor);
    ~MainWindowModel() override;
    MainWindowModel(const MainWindowModel&) = delete;
    MainWindowModel& operator=(const MainWindowModel&) = delete;

    const std::shared_ptr<DiskMonitor> diskMonitor;
    const std::shared_ptr<PerformanceOptimizer> performanceOptimizer;
    const std::shared_ptr<AppLauncher> appLauncher;
    const std::shared_ptr<AuthorizationManager> authManager;
    const std::shared_ptr<StartupManager> startupManager;
    const std::shared_ptr<LaunchServicesManager> launchServicesManager;
    const std::shared_ptr<AutomaticUSBStabilizer> automaticStabilizer;
    const std::shared_ptr<SharedSystemMonitor> sharedMonitor;

    // View state (main thread).
    Published<std::optional<DiskInfo>> selectedDisk;
    Published<bool> isRefreshing{false};
    Published<bool> isOptimizing{false};
    Published<bool> isProcessingDisk{false};
    Published<bool> isSystemRefreshing{false};
    Published<bool> isMaskingDisk{false};
    Published<std::string> refreshingMessage{std::string("Refreshing")};
    Published<Date> lastRefreshTime;
    // Kept under "isAggressivePowerActive" in the user defaults.
    Published<bool> isAggressivePowerActive{false};
    // Each listed external disk's last 7 days, by its identity; read off the
    // main thread.
    Published<std::map<std::string, DiskHistoryView>> diskHistories;
    // How the last export of the selected disk's history went; cleared when
    // the selection changes.
    Published<std::string> historyExportStatus;

    // Moves (after the store) whenever anything the window shows may have
    // changed: the view state or a published value of a manager it follows.
    Published<std::uint64_t> revision{0};
    Subscription subscribeChanges(std::function<void()> changed);

    // The first call wires the callbacks, starts the monitor, the optimizer
    // and the application tracker, and half a second later refreshes the
    // disks; later calls do nothing.
    void onAppear() override;
    void setupCallbacks();

    // Commands.
    void selectDisk(const DiskInfo& disk);  // the selected disk again clears the selection
    void refreshDisks();
    void optimize();
    void authorize();
    void makeInternal();
    void refreshSystem();
    void toggleAggressivePower();
    void fixApplicationAssociations();
    void toggleStartup();
    void openMakerWebAddress();  // in the default browser
    void reloadHistories();
    // The selected disk's whole history as CSV into the Downloads folder,
    // written off the main thread; never over an existing file.
    void exportSelectedHistory();

    // What the window shows.
    bool hasExternalDisks() const;
    DiskListView diskList() const;
    SideButton refreshButton() const;
    SideButton optimizeButton() const;
    ActionButtonState makeInternalButton() const;
    ActionButtonState systemRefreshButton() const;
    ProtectionCards cards() const;

private:
    MainWindowModel(Platform platform, std::shared_ptr<SharedSystemMonitor> systemMonitor);
    void followChanges();
    template <typename T>
    void follow(Published<T>& value);
    void setAggressivePowerActive(bool active);
    // `step` on the main queue after `seconds`, while the model lives.
    void afterDelay(double seconds, std::function<void(MainWindowModel&)> step);
    void onMain(std::function<void(MainWindowModel&)> step);
    void finishMasking(std::optional<DiskInfo> selected);

    Platform platform_;
    std::shared_ptr<InternalDiskMarker> marker_;
    std::vector<Subscription> followed_;
    std::shared_ptr<Timer> historyTimer_;
    bool appeared_ = false;
};

}  // namespace velmora
