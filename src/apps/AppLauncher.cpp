#include "apps/AppLauncher.h"

#include <algorithm>
#include <utility>

#include "apps/DiskForPath.h"
#include "apps/HighResourceRule.h"

namespace velmora {

std::shared_ptr<AppLauncher> AppLauncher::create(Platform platform) {
    return std::shared_ptr<AppLauncher>(new AppLauncher(std::move(platform)));
}

AppLauncher::AppLauncher(Platform platform)
    : platform_(std::move(platform)),
      queue_(platform_.scheduler->makeSerialQueue("app.launcher", QualityOfService::background)) {}

void AppLauncher::startMonitoring() {
    if (monitoring_.exchange(true)) return;
    platform_.diagnostics->line("Uygulama izleme başlatıldı");
    scanRunningApps();
    timer_ = platform_.scheduler->scheduleRepeatingTimer(scanIntervalSeconds, [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->scanRunningApps();
    });
}

void AppLauncher::stopMonitoring() {
    monitoring_ = false;
    if (timer_) timer_->invalidate();
    timer_.reset();
    platform_.diagnostics->line("Uygulama izleme durduruldu");
}

void AppLauncher::scanRunningApps() {
    // The pass travels with the scan through both queue blocks and the main
    // thread, so a slow df holds off the next tick until the lists are out.
    auto pass = scanGate_.tryEnter();
    if (!pass) return;
    queue_->async([weak = weak_from_this(), pass = std::move(pass)]() mutable {
        if (auto self = weak.lock()) self->performAppScan(std::move(pass));
    });
}

void AppLauncher::performAppScan(TickGate::PassHandle pass) {
    std::vector<AppInfo> apps = getRunningApps();
    queue_->async([weak = weak_from_this(), apps = std::move(apps), pass = std::move(pass)]() mutable {
        auto self = weak.lock();
        if (!self) return;
        std::vector<AppInfo> heavy = self->detectHighResourceAppsBackground(apps);
        self->platform_.scheduler->asyncMain(
            [weak, apps = std::move(apps), heavy = std::move(heavy), pass = std::move(pass)]() mutable {
                if (auto launcher = weak.lock()) launcher->publish(std::move(apps), std::move(heavy));
            });
    });
}

void AppLauncher::publish(std::vector<AppInfo> apps, std::vector<AppInfo> heavy) {
    const std::vector<AppInfo> previous = highResourceApps.get();
    std::vector<AppInfo> entering;
    for (const auto& app : heavy) {
        const bool wasThere = std::any_of(previous.begin(), previous.end(),
                                          [&](const AppInfo& before) { return before.isSameLaunch(app); });
        if (!wasThere) entering.push_back(app);
    }
    runningApps.set(std::move(apps));
    highResourceApps.set(std::move(heavy));
    updateDiskApps();
    if (!onHighResourceAppDetected) return;
    for (const auto& app : entering) onHighResourceAppDetected(app);
}

void AppLauncher::updateDiskApps() {
    std::map<std::string, std::vector<AppInfo>> grouped;
    for (const auto& app : runningApps.get()) {
        for (const auto& disk : app.diskDependencies) grouped[disk].push_back(app);
    }
    platform_.scheduler->asyncMain([weak = weak_from_this(), grouped = std::move(grouped)]() mutable {
        if (auto self = weak.lock()) self->diskApps.set(std::move(grouped));
    });
}

bool AppLauncher::isOwnApplication(const RunningApplication& app, const std::string& bundleIdentifier) const {
    if (bundleIdentifier == "com.velmora" || bundleIdentifier.find("Velmora") != std::string::npos) return true;
    // The literal tests above miss the real identifier and any renamed copy.
    if (bundleIdentifier == kOwnBundleIdentifier || bundleIdentifier == platform_.bundle.identifier) return true;
    return platform_.processInspector && app.processIdentifier == platform_.processInspector->ownProcessIdentifier();
}

std::vector<AppInfo> AppLauncher::getRunningApps() {
    std::vector<AppInfo> apps;
    for (const auto& running : platform_.workspace->runningApplications()) {
        if (running.activationPolicy != ActivationPolicy::regular) continue;
        AppInfo app;
        app.bundleIdentifier = running.bundleIdentifier.value_or("unknown");
        if (isOwnApplication(running, app.bundleIdentifier)) continue;
        app.name = running.localizedName.value_or("Unknown");
        app.path = running.bundlePath.value_or("");
        app.diskDependencies = getAppDiskDependencies(running);
        app.launchDate = running.launchDate;
        app.isRunning = true;
        apps.push_back(std::move(app));
    }
    return apps;
}

std::vector<std::string> AppLauncher::getAppDiskDependencies(const RunningApplication& app) {
    std::vector<std::string> disks;
    if (!app.bundlePath) return disks;
    if (auto disk = getDiskForPath(*app.bundlePath)) disks.push_back(std::move(*disk));
    if (auto directory = getWorkingDirectory(app)) {
        if (auto disk = getDiskForPath(*directory)) disks.push_back(std::move(*disk));
    }
    return disks;
}

std::optional<std::string> AppLauncher::getWorkingDirectory(const RunningApplication& app) {
    if (!platform_.processInspector) return std::nullopt;
    WorkingDirectoryAnswer answer = platform_.processInspector->workingDirectory(app.processIdentifier);
    if (answer.path && !answer.path->empty() && answer.path->front() == '/') return std::move(answer.path);
    platform_.diagnostics->line("Çalışma dizini alınamadı: " +
                                (answer.failure.empty() ? "not an absolute path: " + answer.path.value_or("") : answer.failure));
    return std::nullopt;
}

std::optional<std::string> AppLauncher::getDiskForPath(const std::string& path) {
    return DiskForPath::lookup(*platform_.processes, path);
}

std::vector<AppInfo> AppLauncher::detectHighResourceAppsBackground(const std::vector<AppInfo>& apps) {
    std::vector<AppInfo> heavy;
    for (const auto& app : apps) {
        if (HighResourceRule::isKnownHighResourceApp(app.bundleIdentifier) &&
            getMemoryUsageOptimized(app.bundleIdentifier) > highMemoryThreshold) {
            heavy.push_back(app);
        }
    }
    return heavy;
}

double AppLauncher::getMemoryUsageOptimized(const std::string& bundleIdentifier) {
    for (const auto& running : platform_.workspace->runningApplications()) {
        if (running.bundleIdentifier != bundleIdentifier) continue;
        return HighResourceRule::estimateMemoryUsage(running.bundleIdentifier.value_or(""), running.launchDate,
                                                     platform_.scheduler->now());
    }
    return 0;
}

}  // namespace velmora
