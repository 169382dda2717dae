#include "disks/DiskMonitor.h"

#include <algorithm>
#include <utility>

namespace velmora {

namespace {
std::set<std::string> identifiersOf(const std::vector<DiskInfo>& disks) {
    std::set<std::string> identifiers;
    for (const auto& disk : disks) identifiers.insert(disk.id);
    return identifiers;
}
}  // namespace

std::shared_ptr<DiskMonitor> DiskMonitor::create(Platform platform) {
    std::shared_ptr<DiskMonitor> monitor(new DiskMonitor(std::move(platform)));
    std::weak_ptr<DiskMonitor> weak = monitor;
    DisconnectionRecovery::Events events;
    events.connectionStable = [weak](bool stable) {
        if (auto self = weak.lock()) self->usbConnectionStable.set(stable);
    };
    events.connectionUnstable = [weak](const DiskInfo& disk) {
        auto self = weak.lock();
        if (!self) return;
        self->usbConnectionStable.set(false);
        if (self->onUSBConnectionUnstable) self->onUSBConnectionUnstable(disk);
    };
    monitor->recovery_ = DisconnectionRecovery::create(monitor->platform_, monitor->discovery_, std::move(events));
    return monitor;
}

DiskMonitor::DiskMonitor(Platform platform)
    : platform_(std::move(platform)),
      queue_(platform_.scheduler->makeSerialQueue("disk.monitor", QualityOfService::background)),
      stabilizerQueue_(platform_.scheduler->makeSerialQueue("disk.monitor.stabilizer", QualityOfService::background)),
      discovery_(std::make_shared<DiskDiscovery>(platform_)),
      markedDisks_(platform_),
      stabilizer_(platform_) {}

void DiskMonitor::startMonitoring() {
    if (monitoring_.exchange(true)) return;
    platform_.diagnostics->line("Disk izleme başlatıldı");
    startAutoStabilizer();
    scanDisks();
    // A scan stuck on a hung diskutil must not gather a tick every five
    // seconds behind it.
    timer_ = platform_.scheduler->scheduleRepeatingTimer(scanIntervalSeconds, [weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        self->scanGate_.submit(*self->queue_, [weak] {
            if (auto monitor = weak.lock()) monitor->performDiskScan();
        });
    });
}

void DiskMonitor::stopMonitoring() {
    monitoring_ = false;
    if (timer_) timer_->invalidate();
    timer_.reset();
    platform_.diagnostics->line("Disk izleme durduruldu");
}

void DiskMonitor::startAutoStabilizer() {
    if (!autoStabilizerActive.get()) return;
    stabilizerQueue_->async([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->stabilizer_.applyStartupTuning();
    });
    // Not kept: it repeats for the life of the process and stopping only
    // gates its passes.
    platform_.scheduler->scheduleRepeatingTimer(PeriodicDiskStabilizer::passIntervalSeconds,
                                                [weak = weak_from_this()] {
                                                    if (auto self = weak.lock()) self->performPeriodicStabilization();
                                                });
}

void DiskMonitor::performPeriodicStabilization() {
    if (!autoStabilizerActive.get() || !monitoring_.load()) return;
    stabilizationGate_.submit(*stabilizerQueue_, [weak = weak_from_this(), disks = connectedDisks.get()] {
        if (auto self = weak.lock()) self->stabilizer_.stabilize(disks);
    });
}

void DiskMonitor::scanDisks() {
    queue_->async([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->performDiskScan();
    });
}

void DiskMonitor::performDiskScan() {
    const Date now = platform_.scheduler->now();
    if (secondsBetween(lastDiskScanTime_, now) < scanThrottleSeconds) return;
    lastDiskScanTime_ = now;

    const std::vector<DiskInfo> current = discovery_->getCurrentDisks();
    const std::set<std::string> known = identifiersOf(connectedDisks.get());
    const std::set<std::string> currentIds = identifiersOf(current);
    const std::set<std::string> marked = markedDisks_.load();

    for (const auto& disk : current) {
        if (known.count(disk.id)) continue;
        {
            std::lock_guard lock(recentlyAddedMutex_);
            if (!recentlyAddedDisks_.insert(disk.id).second) continue;
        }
        DiskInfo copy = disk;
        if (marked.count(copy.id)) {
            copy.isMarkedAsInternal = true;
            platform_.diagnostics->line("📁 " + copy.name + " daha önce internal olarak işaretlenmiş - durumu geri yüklendi");
        }
        platform_.scheduler->asyncMain([weak = weak_from_this(), copy] {
            if (auto self = weak.lock()) self->addDisk(copy);
        });
        platform_.scheduler->asyncMainAfter(recentlyAddedHoldSeconds, [weak = weak_from_this(), id = copy.id] {
            auto self = weak.lock();
            if (!self) return;
            std::lock_guard lock(self->recentlyAddedMutex_);
            self->recentlyAddedDisks_.erase(id);
        });
    }

    for (const auto& disk : connectedDisks.get()) {
        if (currentIds.count(disk.id)) continue;
        recovery_->handleDiskDisconnection(disk);
        platform_.scheduler->asyncMain([weak = weak_from_this(), disk] {
            if (auto self = weak.lock()) self->removeDisk(disk);
        });
    }

    updateDiskStatuses();
}

void DiskMonitor::addDisk(const DiskInfo& disk) {
    const auto disks = connectedDisks.get();
    if (std::any_of(disks.begin(), disks.end(), [&](const DiskInfo& d) { return d.id == disk.id; })) {
        platform_.diagnostics->line("⚠️ Disk zaten listede mevcut: " + disk.name);
        return;
    }
    connectedDisks.modify([&](std::vector<DiskInfo>& list) { list.push_back(disk); });
    if (onDiskConnected) onDiskConnected(disk);
    platform_.diagnostics->line("Yeni disk tespit edildi: " + disk.name);
}

void DiskMonitor::removeDisk(const DiskInfo& disk) {
    auto disks = connectedDisks.get();
    const auto found = std::find_if(disks.begin(), disks.end(), [&](const DiskInfo& d) { return d.id == disk.id; });
    if (found == disks.end()) return;
    disks.erase(found);
    connectedDisks.set(std::move(disks));
    if (onDiskDisconnected) onDiskDisconnected(disk);
    platform_.diagnostics->line("Disk kayıp: " + disk.name);
}

void DiskMonitor::updateDiskStatuses() {
    for (const auto& disk : connectedDisks.get()) {
        std::string status = discovery_->getDiskStatus(disk);
        // Only this queue posts statuses, in order, so the last one posted is
        // what the main thread holds or is about to: the same status again
        // would wake it for nothing, twice a disk every five seconds.
        auto [posted, isNew] = postedStatuses_.try_emplace(disk.id, status);
        if (!isNew) {
            if (posted->second == status) continue;
            posted->second = status;
        }
        platform_.scheduler->asyncMain([weak = weak_from_this(), id = disk.id, status = std::move(status)] {
            if (auto self = weak.lock()) self->diskStatus.modify([&](auto& statuses) { statuses[id] = status; });
        });
    }
}

void DiskMonitor::refreshDisksWithCompletion() {
    platform_.diagnostics->line("🔄 Diskler manuel olarak yenileniyor...");
    platform_.scheduler->asyncMain([weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        auto disks = self->connectedDisks.get();
        self->platform_.random->shuffle(disks);
        self->connectedDisks.set(std::move(disks));
        self->platform_.diagnostics->line("🔀 Disk listesi yeniden sıralandı");
    });
    platform_.scheduler->asyncMainAfter(refreshDelaySeconds, [weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        self->queue_->async([weak] {
            auto monitor = weak.lock();
            if (!monitor) return;
            monitor->performDiskScan();
            monitor->platform_.scheduler->asyncMain([weak] {
                auto again = weak.lock();
                if (!again) return;
                if (again->onRefreshCompleted) again->onRefreshCompleted();
                again->platform_.diagnostics->line("✅ Disk yenileme tamamlandı");
            });
        });
    });
}

void DiskMonitor::markDiskAsInternal(const std::string& identifier) {
    platform_.scheduler->asyncMain([weak = weak_from_this(), identifier] {
        auto self = weak.lock();
        if (!self) return;
        auto disks = self->connectedDisks.get();
        const auto found = std::find_if(disks.begin(), disks.end(), [&](const DiskInfo& d) { return d.id == identifier; });
        if (found == disks.end()) return;
        found->isMarkedAsInternal = true;
        const std::string name = found->name;
        self->connectedDisks.set(disks);
        self->markedDisks_.save(disks);
        self->platform_.diagnostics->line("✅ " + name + " internal olarak işaretlendi ve kaydedildi");
    });
}

}  // namespace velmora
