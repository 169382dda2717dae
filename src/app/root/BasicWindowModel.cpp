#include "app/root/BasicWindowModel.h"

namespace velmora {

BasicWindowModel::BasicWindowModel(Platform platform, std::shared_ptr<SharedSystemMonitor> systemMonitor)
    : systemMonitor_(std::move(systemMonitor)),
      diskMonitor_(DiskMonitor::create(platform)),
      optimizer_(PerformanceOptimizer::create(platform)),
      stabilizer_(AutomaticUSBStabilizer::create(platform)) {}

void BasicWindowModel::onAppear() {
    diskMonitor_->onDiskConnected = [weak = std::weak_ptr<PerformanceOptimizer>(optimizer_)](const DiskInfo& disk) {
        if (auto optimizer = weak.lock()) optimizer->optimizeDisk(disk);
    };
    diskMonitor_->startMonitoring();
    optimizer_->startOptimization();
}

void BasicWindowModel::endWithProcess() {
    optimizer_->disableUSBPowerManagement();
    // The watchdog keeps the stabilizer alive; once it ends, the last
    // reference stops the stabilizer, which gives back its assertion and
    // ends its background loops.
    stabilizer_->endWatchdog();
}

}  // namespace velmora
