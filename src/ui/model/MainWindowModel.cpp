#include "ui/model/MainWindowModel.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

#include "app/AuthorizationManager.h"
#include "app/StartupManager.h"
#include "apps/AppLauncher.h"
#include "apps/LaunchServicesManager.h"
#include "disks/DiskMonitor.h"
#include "disks/InternalDiskMarker.h"
#include "history/record/DiskIdentity.h"
#include "history/record/HistoryExport.h"
#include "performance/PerformanceOptimizer.h"
#include "stabilizer/AutomaticUSBStabilizer.h"
#include "stabilizer/StabilizerHistory.h"
#include "system/SharedSystemMonitor.h"

namespace velmora {

std::shared_ptr<MainWindowModel> MainWindowModel::create(Platform platform,
                                                         std::shared_ptr<SharedSystemMonitor> systemMonitor) {
    // The delegate's group records what happens to the disks; the window's
    // own monitor and optimizer would record each of those a second time, so
    // only its stabilizer, which the delegate lacks, feeds the history.
    auto history = std::exchange(platform.history, nullptr);
    std::shared_ptr<MainWindowModel> model(new MainWindowModel(std::move(platform), std::move(systemMonitor)));
    recordStabilizerHistory(*model->automaticStabilizer, std::move(history), model->platform_.scheduler);
    model->followChanges();
    return model;
}

MainWindowModel::MainWindowModel(Platform platform, std::shared_ptr<SharedSystemMonitor> systemMonitor)
    : diskMonitor(DiskMonitor::create(platform)),
      performanceOptimizer(PerformanceOptimizer::create(platform)),
      appLauncher(AppLauncher::create(platform)),
      authManager(AuthorizationManager::create(platform)),
      startupManager(StartupManager::create(platform)),
      launchServicesManager(LaunchServicesManager::create(platform)),
      automaticStabilizer(AutomaticUSBStabilizer::create(platform)),
      sharedMonitor(std::move(systemMonitor)),
      lastRefreshTime(platform.scheduler->now()),
      isAggressivePowerActive(platform.defaults->boolValue(aggressivePowerKey)),
      platform_(std::move(platform)),
      marker_(InternalDiskMarker::create(platform_, authManager, diskMonitor)) {}

MainWindowModel::~MainWindowModel() {
    followed_.clear();
    if (historyTimer_) historyTimer_->invalidate();
    // The watchdog would keep this window's stabilizer, and its scripts,
    // running for the rest of the process after the window is gone; a new
    // window brings a stabilizer of its own.
    automaticStabilizer->endWatchdog();
}

template <typename T>
void MainWindowModel::follow(Published<T>& value) {
    followed_.push_back(value.subscribe([this](const T&) { revision.set(revision.get() + 1); }));
}

void MainWindowModel::followChanges() {
    follow(selectedDisk);
    follow(isRefreshing);
    follow(isOptimizing);
    follow(isProcessingDisk);
    follow(isSystemRefreshing);
    follow(isMaskingDisk);
    follow(refreshingMessage);
    follow(lastRefreshTime);
    follow(isAggressivePowerActive);
    follow(diskHistories);
    follow(historyExportStatus);
    follow(diskMonitor->connectedDisks);
    follow(diskMonitor->usbConnectionStable);
    follow(performanceOptimizer->powerManagementActive);
    follow(appLauncher->highResourceApps);
    follow(authManager->isAuthorized);
    follow(authManager->authorizationStatus);
    follow(startupManager->isStartupEnabled);
    follow(launchServicesManager->isRebuilding);
    follow(launchServicesManager->lastRebuildDate);
    follow(launchServicesManager->rebuildStatus);
    follow(automaticStabilizer->isActive);
    follow(automaticStabilizer->usbDisksProtected);
    follow(automaticStabilizer->currentStabilityLevel);
    follow(automaticStabilizer->lastStabilizationAction);
    follow(automaticStabilizer->usbControllerInfo);
    follow(automaticStabilizer->powerManagementActive);
    if (sharedMonitor) {
        follow(sharedMonitor->runningLargeApps);
        follow(sharedMonitor->powerStatus);
        follow(sharedMonitor->usbcPowerMode);
    }
}

Subscription MainWindowModel::subscribeChanges(std::function<void()> changed) {
    return revision.subscribe([changed = std::move(changed)](const std::uint64_t&) { changed(); });
}

void MainWindowModel::afterDelay(double seconds, std::function<void(MainWindowModel&)> step) {
    platform_.scheduler->asyncMainAfter(seconds, [weak = weak_from_this(), step = std::move(step)] {
        if (auto self = weak.lock()) step(*self);
    });
}

void MainWindowModel::onMain(std::function<void(MainWindowModel&)> step) {
    platform_.scheduler->asyncMain([weak = weak_from_this(), step = std::move(step)] {
        if (auto self = weak.lock()) step(*self);
    });
}

void MainWindowModel::onAppear() {
    if (appeared_) return;
    appeared_ = true;
    setupCallbacks();
    diskMonitor->startMonitoring();
    performanceOptimizer->startOptimization();
    appLauncher->startMonitoring();
    if (platform_.historySource) {
        historyTimer_ = platform_.scheduler->scheduleRepeatingTimer(historyReloadSeconds, [weak = weak_from_this()] {
            if (auto self = weak.lock()) self->reloadHistories();
        });
        followed_.push_back(diskMonitor->connectedDisks.subscribe([weak = weak_from_this()](const std::vector<DiskInfo>&) {
            if (auto self = weak.lock())
                self->afterDelay(historyAfterChangeSeconds, [](MainWindowModel& model) { model.reloadHistories(); });
        }));
    }
    afterDelay(autoRefreshDelaySeconds, [](MainWindowModel& self) {
        self.isRefreshing.set(true);
        self.refreshingMessage.set("Auto Refreshing");
        self.diskMonitor->refreshDisksWithCompletion();
    });
}

void MainWindowModel::setupCallbacks() {
    const std::weak_ptr<MainWindowModel> weak = weak_from_this();
    diskMonitor->onRefreshCompleted = [weak] {
        if (auto self = weak.lock()) {
            self->onMain([](MainWindowModel& model) {
                model.isRefreshing.set(false);
                model.lastRefreshTime.set(model.platform_.scheduler->now());
                model.refreshingMessage.set(refreshDoneMark);
                model.afterDelay(refreshDoneHoldSeconds, [](MainWindowModel& later) {
                    later.refreshingMessage.set(later.platform_.strings->localized("refreshing", "Refreshing"));
                });
            });
        }
    };
    diskMonitor->onDiskConnected = [weak](const DiskInfo& disk) {
        if (auto self = weak.lock()) {
            self->onMain([name = disk.name](MainWindowModel& model) {
                model.platform_.diagnostics->line("✅ New disk shown in UI: " + name);
            });
        }
    };
    diskMonitor->onDiskDisconnected = [weak](const DiskInfo& disk) {
        if (auto self = weak.lock()) {
            self->onMain([name = disk.name](MainWindowModel& model) {
                model.platform_.diagnostics->line("❌ Disk removed from UI: " + name);
            });
        }
    };
}

void MainWindowModel::selectDisk(const DiskInfo& disk) {
    historyExportStatus.set("");
    const auto selected = selectedDisk.get();
    if (selected && selected->id == disk.id) {
        selectedDisk.set(std::nullopt);
    } else {
        selectedDisk.set(disk);
    }
}

void MainWindowModel::refreshDisks() {
    isRefreshing.set(true);
    refreshingMessage.set("Refreshing");
    diskMonitor->refreshDisksWithCompletion();
    afterDelay(refreshLabelResetSeconds, [](MainWindowModel& self) { self.refreshingMessage.set("Refreshing"); });
}

void MainWindowModel::optimize() {
    isOptimizing.set(true);
    performanceOptimizer->optimizeAllDisks();
    afterDelay(optimizeSeconds, [](MainWindowModel& self) { self.isOptimizing.set(false); });
}

void MainWindowModel::authorize() {
    onMain([](MainWindowModel& self) { self.authManager->requestAuthorization(); });
}

void MainWindowModel::makeInternal() {
    // A disabled button does nothing, and one run at a time: a second press
    // while the first still works would mark the same disks twice over.
    if (!hasExternalDisks() || isMaskingDisk.get()) return;
    isMaskingDisk.set(true);
    onMain([](MainWindowModel& self) {
        if (!self.authManager->isAuthorized.get()) self.authManager->requestAuthorization();
        auto selected = self.selectedDisk.get();
        auto done = [weak = self.weak_from_this(), selected] {
            if (auto model = weak.lock()) model->finishMasking(selected);
        };
        if (selected) {
            self.marker_->maskDiskAsInternal(*selected, std::move(done));
        } else {
            self.marker_->maskExternalDisksAsInternal(std::move(done));
        }
    });
}

void MainWindowModel::finishMasking(std::optional<DiskInfo> selected) {
    // A selected disk is recorded whatever the procedure made of it; without
    // a selection, the external disks are.
    if (selected) {
        diskMonitor->markDiskAsInternal(selected->id);
    } else {
        for (const auto& disk : diskMonitor->connectedDisks.get())
            if (disk.isExternal) diskMonitor->markDiskAsInternal(disk.id);
    }
    afterDelay(makeInternalHoldSeconds, [](MainWindowModel& self) { self.isMaskingDisk.set(false); });
}

void MainWindowModel::refreshSystem() {
    isSystemRefreshing.set(true);
    diskMonitor->startMonitoring();
    appLauncher->startMonitoring();
    afterDelay(systemRefreshSeconds, [](MainWindowModel& self) { self.isSystemRefreshing.set(false); });
}

void MainWindowModel::setAggressivePowerActive(bool active) {
    platform_.defaults->setBool(aggressivePowerKey, active);
    isAggressivePowerActive.set(active);
}

void MainWindowModel::toggleAggressivePower() {
    if (isAggressivePowerActive.get()) {
        performanceOptimizer->setPowerManagementActive(false);
        platform_.diagnostics->line("🔋 Agresif güç yönetimi deaktif edildi");
        setAggressivePowerActive(false);
        return;
    }
    // The button shows progress meanwhile; a second press would only start
    // the same activation again.
    if (isProcessingDisk.get()) return;
    isProcessingDisk.set(true);
    performanceOptimizer->enableAggressivePowerManagement();
    afterDelay(aggressiveActivationSeconds, [](MainWindowModel& self) {
        self.isProcessingDisk.set(false);
        self.setAggressivePowerActive(true);
    });
}

void MainWindowModel::fixApplicationAssociations() {
    if (launchServicesManager->isRebuilding.get()) return;  // the button is disabled meanwhile
    onMain([](MainWindowModel& self) {
        // Asked again when the step runs: a second press (a key held, a
        // double click) can come before the first step has started the
        // rebuild and disabled the button.
        if (self.launchServicesManager->isRebuilding.get()) return;
        const auto selected = self.selectedDisk.get();
        if (selected && selected->isExternal) {
            self.launchServicesManager->triggerRebuildForDisk(*selected);
        } else {
            self.launchServicesManager->triggerManualRebuild();
        }
    });
}

void MainWindowModel::toggleStartup() {
    if (startupManager->isStartupEnabled.get()) {
        startupManager->disableStartup();
    } else {
        startupManager->enableStartup();
    }
}

void MainWindowModel::openMakerWebAddress() {
    platform_.workspace->openURL(makerWebAddress);
}

bool MainWindowModel::hasExternalDisks() const {
    const auto disks = diskMonitor->connectedDisks.get();
    return std::any_of(disks.begin(), disks.end(), [](const DiskInfo& disk) { return disk.isExternal; });
}

DiskListView MainWindowModel::diskList() const {
    const auto selected = selectedDisk.get();
    return diskListView(diskMonitor->connectedDisks.get(),
                        selected ? std::optional<std::string>(selected->id) : std::nullopt, *platform_.strings,
                        diskHistories.get(), historyExportStatus.get());
}

namespace {

// A disk's name as part of a file name: nothing that separates folders or
// that Finder shows oddly.
std::string fileNamePart(const std::string& name) {
    std::string part;
    for (unsigned char c : name) part += (c < 0x20 || c == '/' || c == ':' || c == 0x7f) ? '-' : static_cast<char>(c);
    if (part.empty() || part[0] == '.') part = "Disk" + part;
    return part.substr(0, 80);
}

std::string dayOf(Date time) {
    return utcTimestamp(time).substr(0, 10);
}

}  // namespace

void MainWindowModel::exportSelectedHistory() {
    const auto disk = selectedDisk.get();
    if (!disk || !platform_.historySource) return;
    historyExportStatus.set("Exporting…");
    const std::string identity = diskIdentity(disk->name, disk->size);
    platform_.scheduler->asyncGlobal(QualityOfService::utility, [weak = weak_from_this(), source = platform_.historySource,
                                                                 scheduler = platform_.scheduler, identity, name = disk->name] {
        namespace fs = std::filesystem;
        const auto events = source->eventsOf(identity, Date{});
        const fs::path folder = source->exportFolder();
        const std::string stem = "Velmora History - " + fileNamePart(name) + " - " + dayOf(scheduler->now());
        fs::path file = folder / (stem + ".csv");
        std::error_code error;
        for (int n = 2; fs::exists(file, error); ++n) file = folder / (stem + " (" + std::to_string(n) + ").csv");
        fs::create_directories(folder, error);
        std::string status;
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << historyAsCsv(events);
            out.close();
            status = out ? "Saved to " + file.string() : "Could not save " + file.string();
        }
        scheduler->asyncMain([weak, status] {
            if (auto self = weak.lock()) self->historyExportStatus.set(status);
        });
    });
}

void MainWindowModel::reloadHistories() {
    if (!platform_.historySource) return;
    std::set<std::string> disks;
    for (const auto& disk : diskMonitor->connectedDisks.get())
        if (disk.isExternal) disks.insert(diskIdentity(disk.name, disk.size));
    // The file is read on a global queue; the main thread only stores the views.
    platform_.scheduler->asyncGlobal(QualityOfService::utility, [weak = weak_from_this(), source = platform_.historySource,
                                                                 scheduler = platform_.scheduler, disks] {
        const Date now = scheduler->now();
        std::map<std::string, DiskHistoryView> views;
        for (const auto& disk : disks)
            views[disk] = diskHistoryView(source->eventsOf(disk, addSeconds(now, -DiskHistoryView::days * 86400)), now);
        scheduler->asyncMain([weak, views = std::move(views)] {
            auto self = weak.lock();
            if (self && self->diskHistories.get() != views) self->diskHistories.set(views);
        });
    });
}

SideButton MainWindowModel::refreshButton() const {
    const bool refreshing = isRefreshing.get();
    const std::string message = refreshingMessage.get();
    // The finished mark is set as the refresh ends; the button keeps showing
    // it for its hold, or the user would never see it.
    if (!refreshing && message == refreshDoneMark) return {"arrow.clockwise", message, false};
    return {"arrow.clockwise", refreshing ? message : "Refresh", refreshing};
}

SideButton MainWindowModel::optimizeButton() const {
    const bool optimizing = isOptimizing.get();
    return {"bolt.circle.fill", optimizing ? "Optimizing" : "Optimize", optimizing};
}

ActionButtonState MainWindowModel::makeInternalButton() const {
    ActionButtonState button;
    const bool masking = isMaskingDisk.get();
    const auto selected = selectedDisk.get();
    button.title = masking ? "Processing" : "Make internal";
    button.subtitle = selected ? selected->name : "All disks";
    button.icon = "internaldrive";
    button.isLoading = masking;
    button.isDisabled = !hasExternalDisks();
    button.displayedSubtitle =
        button.isDisabled ? platform_.strings->localized("usb_disk_required", "USB disk required") : button.subtitle;
    return button;
}

ActionButtonState MainWindowModel::systemRefreshButton() const {
    ActionButtonState button;
    const bool refreshing = isSystemRefreshing.get();
    button.title = refreshing ? "Refreshing" : "Refresh";
    button.subtitle = button.displayedSubtitle = "System";
    button.icon = "arrow.clockwise";
    button.isLoading = refreshing;
    return button;
}

ProtectionCards MainWindowModel::cards() const {
    const bool optimizerPower = performanceOptimizer->powerManagementActive.get();
    ProtectionCards cards;
    cards.authorization = authorizationCard(authManager->isAuthorized.get(), authManager->authorizationStatus.get());
    cards.stabilizer = stabilizerCard(optimizerPower);
    cards.controllers = controllerCard(*automaticStabilizer);
    cards.power = powerCard(optimizerPower);
    cards.aggressivePower = aggressivePowerCard(isAggressivePowerActive.get(), isProcessingDisk.get());
    cards.connection = connectionCard(diskMonitor->connectedDisks.get(), diskMonitor->usbConnectionStable.get(),
                                      *platform_.strings);
    cards.applications = appTrackingCard(appLauncher->highResourceApps.get(), *platform_.strings);
    cards.associations = associationsCard(*launchServicesManager);
    cards.startup = startupCard(startupManager->isStartupEnabled.get());
    return cards;
}

}  // namespace velmora
