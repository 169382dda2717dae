#include "app/AppDelegate.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/KextstatListing.h"
#include "app/UserNotifications.h"
#include "disks/DeviceNames.h"
#include "disks/DiskHistory.h"
#include "performance/OptimizerCommands.h"

namespace velmora {

namespace {

RunSpec runOf(std::string program, std::vector<std::string> arguments, double deadline) {
    RunSpec request;
    request.program = std::move(program);
    request.arguments = std::move(arguments);
    request.deadlineSeconds = deadline;
    return request;
}

}  // namespace

std::shared_ptr<AppDelegate> AppDelegate::create(Platform platform, std::shared_ptr<ProcessConsole> console,
                                                 std::shared_ptr<MainWindowController> windows) {
    return std::shared_ptr<AppDelegate>(new AppDelegate(std::move(platform), std::move(console), std::move(windows)));
}

AppDelegate::AppDelegate(Platform platform, std::shared_ptr<ProcessConsole> console,
                         std::shared_ptr<MainWindowController> windows)
    : platform_(std::move(platform)),
      console_(std::move(console)),
      windows_(std::move(windows)),
      autoStart_(AutoStart::create(platform_)),
      queue_(platform_.scheduler->makeSerialQueue("app.delegate", QualityOfService::userInitiated)) {}

void AppDelegate::applicationDidFinishLaunching() {
    setupConsoleFiltering(platform_, *console_);
    requestNotificationPermission(platform_);
    setupStatusBar();
    diskMonitor_ = DiskMonitor::create(platform_);
    appLauncher_ = AppLauncher::create(platform_);
    performanceOptimizer_ = PerformanceOptimizer::create(platform_);
    recordThroughput();
    startDiskMonitoring();
    say("🎯 Uygulama arka planda başlatıldı - Menu bar'dan erişilebilir");
}

void AppDelegate::setupStatusBar() {
    statusItem_ = StatusMenu::create();
    statusItem_->setup(*autoStart_);
}

void AppDelegate::startDiskMonitoring() {
    if (diskMonitor_) {
        diskMonitor_->startMonitoring();
        diskMonitor_->onDiskConnected = [weak = weak_from_this()](const DiskInfo& disk) {
            if (auto self = weak.lock()) self->handleDiskConnected(disk);
        };
        diskMonitor_->onDiskDisconnected = [weak = weak_from_this()](const DiskInfo& disk) {
            if (auto self = weak.lock()) self->handleDiskDisconnected(disk);
        };
    }
    if (appLauncher_) {
        appLauncher_->onHighResourceAppDetected = [weak = weak_from_this()](const AppInfo& app) {
            if (auto self = weak.lock()) self->handleHighResourceAppDetected(app);
        };
        appLauncher_->runningApps.observe([weak = weak_from_this()](const std::vector<AppInfo>&) {
            auto self = weak.lock();
            if (self && self->appLauncher_) self->previousRunningApps_ = self->appLauncher_->runningApps.get();
        });
        // Without a running tracker its list of applications stays empty, and
        // neither the warning about a pulled disk nor the heavy-application
        // protection could ever happen.
        appLauncher_->startMonitoring();
    }
}

void AppDelegate::handleDiskConnected(const DiskInfo& disk) {
    // Only external disks have a history: the internal SSD and its APFS
    // containers never come and go.
    if (disk.isExternal && platform_.history) {
        platform_.history->record(diskHistoryEvent(disk, HistoryKind::connected, disk.id, platform_.scheduler->now()));
    }
    // The monitor lists every whole disk, the internal SSD and its APFS
    // containers included; only one on USB is announced as a USB disk.
    if (disk.busProtocol == "USB") sendNotification(platform_, "USB Disk Bağlandı", disk.name + " başarıyla bağlandı");
    if (performanceOptimizer_) performanceOptimizer_->optimizeDisk(disk);
    if (disk.isExternal) setDiskPermissions(disk);
}

void AppDelegate::handleDiskDisconnected(const DiskInfo& disk) {
    if (disk.isExternal && platform_.history) {
        platform_.history->record(diskHistoryEvent(disk, departureKind(disk), disk.id, platform_.scheduler->now()));
    }
    sendNotification(platform_, "USB Disk Ayrıldı", disk.name + " ayrıldı");
    checkRunningApps(disk);
}

void AppDelegate::recordThroughput() {
    if (!platform_.history) return;
    performanceOptimizer_->diskPerformance.observe(
        [weak = weak_from_this()](const std::map<std::string, PerformanceMetrics>& samples) {
            auto self = weak.lock();
            if (!self || !self->diskMonitor_) return;
            // Observers run before the new map is stored, so get() is the old
            // one: only the entries that changed are new samples. They are
            // keyed by diskN; the monitor's list gives the disk behind each.
            // The writer keeps one a minute per disk.
            const auto before = self->performanceOptimizer_->diskPerformance.get();
            for (const auto& disk : self->diskMonitor_->connectedDisks.get()) {
                const auto sample = samples.find(disk.id);
                if (!disk.isExternal || sample == samples.end() || sample->second.isAllZero()) continue;
                const auto old = before.find(disk.id);
                if (old != before.end() && old->second == sample->second) continue;
                const double speed = sample->second.readSpeed;
                char detail[48];
                std::snprintf(detail, sizeof detail, "%.1f MB/s", speed);
                auto event = diskHistoryEvent(disk, HistoryKind::throughput, detail, self->platform_.scheduler->now());
                event.value = speed;
                self->platform_.history->record(std::move(event));
            }
        });
}

void AppDelegate::checkRunningApps(const DiskInfo& disk) {
    if (!appLauncher_) return;
    // The dependencies are df's device names ("/dev/disk6s2"): an application
    // depends on the disk when one of them is the disk or one of its slices.
    const auto dependsOnDisk = [&disk](const AppInfo& app) {
        return std::any_of(app.diskDependencies.begin(), app.diskDependencies.end(),
                           [&disk](const std::string& device) { return deviceIsOnDisk(device, disk.id); });
    };
    // A tracker scan that ran after the disk went but before the monitor
    // noticed no longer finds the application's files, so the scan before it
    // counts too, for the same launch of an application that still runs.
    std::size_t affected = 0;
    for (const auto& app : appLauncher_->runningApps.get()) {
        const bool before =
            std::any_of(previousRunningApps_.begin(), previousRunningApps_.end(),
                        [&](const AppInfo& earlier) { return earlier.isSameLaunch(app) && dependsOnDisk(earlier); });
        if (before || dependsOnDisk(app)) ++affected;
    }
    if (affected == 0) return;
    sendNotification(platform_, "Uyarı", std::to_string(affected) + " uygulama " + disk.name + " diskinde çalışıyor");
}

void AppDelegate::handleHighResourceAppDetected(const AppInfo& app) {
    if (performanceOptimizer_) performanceOptimizer_->enableAggressivePowerManagement();
    std::vector<DiskInfo> external;
    if (diskMonitor_) {
        for (const auto& disk : diskMonitor_->connectedDisks.get()) {
            if (disk.isExternal) external.push_back(disk);
        }
    }
    // kextstat and mount wait for their tools, so they run on the delegate's
    // queue, one disk after the other; the notification and the closing line
    // follow them on the main thread.
    queue_->async([weak = weak_from_this(), external = std::move(external), name = app.name] {
        auto self = weak.lock();
        if (!self) return;
        for (const auto& disk : external) self->stabilizeUSBConnection(disk);
        self->platform_.scheduler->asyncMain([weak, name] {
            auto delegate = weak.lock();
            if (!delegate) return;
            sendNotification(delegate->platform_, "Büyük Uygulama Tespit Edildi",
                             name + " çalışıyor. USB diskleriniz korunuyor.");
            delegate->say("🛡️ USB koruma aktif: " + name + " için güç yönetimi artırıldı");
        });
    });
}

void AppDelegate::setDiskPermissions(const DiskInfo& disk) {
    // The handler does not wait; the line reports how chmod really ended.
    platform_.scheduler->asyncGlobal(
        QualityOfService::utility,
        [processes = platform_.processes, diagnostics = platform_.diagnostics, path = disk.path, name = disk.name] {
            const RunResult result = processes->run(runOf("/bin/chmod", {"755", path}, chmodDeadlineSeconds));
            if (result.succeeded()) {
                diagnostics->line("Disk izinleri ayarlandı: " + name);
            } else {
                diagnostics->line("Disk izinleri ayarlanamadı: " + failureOf(result));
            }
        });
}

void AppDelegate::stabilizeUSBConnection(const DiskInfo& disk) {
    RunSpec request = runOf("/usr/sbin/kextstat", {"-b", massStorageBundleIdentifier}, kextstatDeadlineSeconds);
    request.output = OutputWiring::pipe;
    const RunResult result = platform_.processes->run(request);
    if (!result.started()) {
        say("❌ USB stabilizasyon kontrolü hatası: " + result.errorDescription);
        return;
    }
    const auto text = decodeUTF8(result.output);
    if (!text || !kextstatListsBundle(*text, massStorageBundleIdentifier)) {
        if (!std::exchange(saidDriverNotListed_, true))
            say("⚠️ USB Mass Storage sürücüsü kextstat'ta listelenmedi (" + std::string(massStorageBundleIdentifier) +
                "); mount parametreleri optimize edilmeyecek");
        return;
    }
    say("✅ USB Mass Storage sürücüsü aktif: " + disk.name);
    optimizeMountParameters(disk);
}

void AppDelegate::optimizeMountParameters(const DiskInfo& disk) {
    if (!disk.hasMountPoint()) return;
    const RunResult result = platform_.processes->run(
        runOf("/sbin/mount", {"-u", "-o", "noatime,async", *disk.mountPoint}, mountDeadlineSeconds));
    if (result.succeeded()) {
        say("⚡ Mount parametreleri optimize edildi: " + disk.name);
    } else {
        say("❌ Mount optimizasyonu hatası: " + failureOf(result));
    }
}

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows) {
    if (!hasVisibleWindows) showMainWindow();
    return true;
}

void AppDelegate::applicationWillTerminate() {
    stopServices();
}

void AppDelegate::stopServices() {
    if (stopped_) return;
    stopped_ = true;
    if (diskMonitor_) diskMonitor_->stopMonitoring();
    if (appLauncher_) appLauncher_->stopMonitoring();
    if (performanceOptimizer_) performanceOptimizer_->stopOptimization();
}

}  // namespace velmora
