#include "performance/PerformanceOptimizer.h"

#include <utility>

namespace velmora {

std::shared_ptr<PerformanceOptimizer> PerformanceOptimizer::create(Platform platform) {
    return std::shared_ptr<PerformanceOptimizer>(new PerformanceOptimizer(std::move(platform)));
}

PerformanceOptimizer::PerformanceOptimizer(Platform platform)
    : platform_(std::move(platform)),
      commands_(platform_),
      queue_(platform_.scheduler->makeSerialQueue("performance.optimizer", QualityOfService::background)) {
    setPowerManagementActive(platform_.defaults->boolValue(powerManagementActiveKey));
}

PerformanceOptimizer::~PerformanceOptimizer() {
    // Assertions still held stay held: only a stop gives them back.
    if (timer_) timer_->invalidate();
}

void PerformanceOptimizer::setPowerManagementActive(bool active) {
    powerManagementActive.set(active);
    platform_.defaults->setBool(powerManagementActiveKey, active);
}

void PerformanceOptimizer::postPowerManagementActive(bool active) {
    platform_.scheduler->asyncMain([weak = weak_from_this(), active] {
        if (auto self = weak.lock()) self->setPowerManagementActive(active);
    });
}

void PerformanceOptimizer::startOptimization() {
    if (optimizing_.exchange(true)) return;
    platform_.diagnostics->line("Performans optimizasyonu başlatıldı");
    enableUSBPowerManagement();
    timer_ = platform_.scheduler->scheduleRepeatingTimer(systemOptimizationIntervalSeconds, [weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        self->systemPassGate_.submit(*self->queue_, [weak, generation = self->commands_.generation()] {
            auto again = weak.lock();
            if (!again) return;
            again->commands_.beginWork(generation);
            again->performSystemOptimization();
        });
    });
}

void PerformanceOptimizer::stopOptimization() {
    optimizing_ = false;
    if (timer_) timer_->invalidate();
    timer_.reset();
    disableUSBPowerManagement();
    commands_.stopWork("Performans optimizasyonu durduruldu");
}

std::uint32_t PerformanceOptimizer::powerAssertion() const {
    std::lock_guard lock(assertionMutex_);
    return powerAssertion_;
}

std::uint32_t PerformanceOptimizer::usbPowerAssertion() const {
    std::lock_guard lock(assertionMutex_);
    return usbPowerAssertion_;
}

void PerformanceOptimizer::enableUSBPowerManagement() {
    PowerAssertions& power = *platform_.power;
    int status = 0;
    {
        std::lock_guard lock(assertionMutex_);
        status = power.create("NoDisplaySleepAssertion", assertionLevelOn, "Velmora - Prevent Sleep", powerAssertion_);
    }
    if (status != 0) {
        platform_.diagnostics->line("❌ Güç yönetimi başarısız: " + std::to_string(status));
        return;
    }
    platform_.diagnostics->line("✅ Sistem uyku modu engellendi");
    {
        std::lock_guard lock(assertionMutex_);
        status = power.create("PreventUserIdleSystemSleep", assertionLevelOn, "Velmora - USB Power", usbPowerAssertion_);
    }
    if (status != 0) return;
    postPowerManagementActive(true);
    platform_.diagnostics->line("✅ USB güç yönetimi aktif");
}

void PerformanceOptimizer::disableUSBPowerManagement() {
    {
        std::lock_guard lock(assertionMutex_);
        for (std::uint32_t* id : {&powerAssertion_, &usbPowerAssertion_}) {
            if (*id == 0) continue;
            platform_.power->release(*id);
            *id = 0;
        }
    }
    postPowerManagementActive(false);
    platform_.diagnostics->line("🔋 Güç yönetimi normal moda döndü");
}

void PerformanceOptimizer::enableAggressivePowerManagement() {
    setPowerManagementActive(true);
    if (powerManagementActive.get()) {
        platform_.diagnostics->line("⚡ Agresif güç yönetimi aktif - Büyük uygulama tespit edildi");
    }
    enqueue([](PerformanceOptimizer& self) { self.commands_.applyAggressivePowerSettings(); });
}

void PerformanceOptimizer::optimizeDisk(const DiskInfo& disk) {
    enqueue([disk](PerformanceOptimizer& self) { self.performDiskOptimization(disk); });
}

void PerformanceOptimizer::optimizeAllDisks() {
    enqueue([](PerformanceOptimizer& self) { self.performSystemOptimization(); });
}

void PerformanceOptimizer::enqueue(std::function<void(PerformanceOptimizer&)> work) {
    queue_->async([weak = weak_from_this(), generation = commands_.generation(), work = std::move(work)] {
        auto self = weak.lock();
        if (!self) return;
        self->commands_.beginWork(generation);
        work(*self);
    });
}

void PerformanceOptimizer::performSystemOptimization() { commands_.performSystemOptimization(); }

void PerformanceOptimizer::performDiskOptimization(const DiskInfo& disk) {
    commands_.line("Disk optimizasyonu başlatıldı: " + disk.name);
    const std::optional<PerformanceMetrics> measured = commands_.measureDiskPerformance(disk);
    // Without a figure for this disk nothing is stored, and the steps are
    // chosen as for a sample that could not be taken.
    const PerformanceMetrics sample = measured.value_or(PerformanceMetrics{});
    if (measured) {
        platform_.scheduler->asyncMain([weak = weak_from_this(), id = disk.id, sample] {
            if (auto self = weak.lock()) self->diskPerformance.modify([&](auto& map) { map[id] = sample; });
        });
    }
    if (sample.utilization > 80) commands_.optimizeHighUtilization(disk);
    if (sample.readSpeed < 50) commands_.optimizeReadPerformance(disk);
    if (sample.writeSpeed < 50) commands_.optimizeWritePerformance(disk);
    commands_.optimizeDiskCache(disk);
    commands_.optimizeDiskIO(disk);
    commands_.line("Disk optimizasyonu tamamlandı: " + disk.name);
}

}  // namespace velmora
