#include "stabilizer/AutomaticUSBStabilizer.h"

#include <set>

#include "stabilizer/AdobeProtection.h"
#include "stabilizer/ControllerPowerManagement.h"
#include "stabilizer/EnumerationRecovery.h"
#include "stabilizer/ImmediateStabilization.h"
#include "stabilizer/PowerProtection.h"
#include "stabilizer/RTL9210Watchdog.h"
#include "stabilizer/ShortTimeText.h"
#include "stabilizer/StabilizerContext.h"
#include "stabilizer/USBDiskHealth.h"
#include "stabilizer/USBDiskLister.h"

namespace velmora {

namespace {

constexpr const char* kSocketBufferScript =
    "sudo sysctl -w kern.ipc.maxsockbuf=8388608\n"
    "sudo sysctl -w net.inet.tcp.sendspace=1048576\n"
    "sudo sysctl -w net.inet.tcp.recvspace=1048576";

constexpr const char* kNoSleepScript =
    "sudo pmset -a disksleep 0\n"
    "sudo pmset -a sleep 0\n"
    "sudo pmset -a hibernatemode 0\n"
    "sudo pmset -a powernap 0";

constexpr const char* kVirtualMemoryScript =
    "sudo sysctl -w vm.pressure_disable_threshold=5\n"
    "sudo sysctl -w kern.maxvnodes=100000";

}  // namespace

// The collaborators share one context; they live exactly as long as the
// stabilizer, so queued work that holds the stabilizer may use them.
struct AutomaticUSBStabilizer::Parts {
    Parts(const Platform& platform, std::weak_ptr<void> owner, StabilizerContext::ActionWriter writeAction)
        : context(platform, std::move(owner), std::move(writeAction)),
          lister(platform.processes, platform.diagnostics),
          adobe(context, platform.scheduler->now()),
          power(context),
          watchdog(context),
          recovery(context, lister),
          health(context),
          immediate(context, power),
          controllers(context) {}

    StabilizerContext context;
    USBDiskLister lister;
    AdobeProtection adobe;
    PowerProtection power;
    RTL9210Watchdog watchdog;
    EnumerationRecovery recovery;
    USBDiskHealth health;
    ImmediateStabilization immediate;
    ControllerPowerManagement controllers;
};

std::shared_ptr<AutomaticUSBStabilizer> AutomaticUSBStabilizer::create(Platform platform) {
    std::shared_ptr<AutomaticUSBStabilizer> stabilizer(new AutomaticUSBStabilizer(std::move(platform)));
    // The context calls the writer only while it holds the stabilizer alive.
    AutomaticUSBStabilizer* raw = stabilizer.get();
    stabilizer->parts_ = std::make_unique<Parts>(
        stabilizer->platform_, stabilizer->weak_from_this(),
        [raw](std::optional<StabilityLevel> level, const std::string& action) {
            if (level) raw->currentStabilityLevel.set(*level);
            raw->lastStabilizationAction.set(action);
        });
    stabilizer->startAutomaticStabilization();
    return stabilizer;
}

AutomaticUSBStabilizer::AutomaticUSBStabilizer(Platform platform)
    : platform_(std::move(platform)),
      queue_(platform_.scheduler->makeSerialQueue("usb.auto.stabilizer", QualityOfService::userInitiated)),
      watchdogQueue_(
          platform_.scheduler->makeSerialQueue("usb.auto.stabilizer.watchdog", QualityOfService::userInitiated)) {}

AutomaticUSBStabilizer::~AutomaticUSBStabilizer() {
    if (parts_) stopAutomaticStabilization();
}

void AutomaticUSBStabilizer::startAutomaticStabilization() {
    if (monitoring_) return;
    monitoring_ = true;
    isActive.set(true);
    lastStabilizationAction.set("🚀 Automatic USB stabilization started");
    parts_->context.log("🎯 Automatic USB Stabilizer: STARTED");
    parts_->context.log("📊 System will automatically keep USB disks stable");

    detectUSBControllers();
    parts_->power.enablePowerProtection();
    // Only useful when a list is already known (a restart); the first
    // detection follows up with it once its list is published.
    startAdvancedPowerManagement();

    startUSBMonitoring();
    startAdobeDetection();
    startMainStabilizationLoop();
    startRTL9210EmergencyMonitoring();

    parts_->context.publish(StabilityLevel::protecting, "✅ System in automatic protection mode");
}

void AutomaticUSBStabilizer::stopAutomaticStabilization() {
    monitoring_ = false;
    isActive.set(false);
    // The Adobe timer is not kept and the watchdog is left running on purpose.
    for (auto* timer : {&stabilizationTimer_, &usbMonitorTimer_, &powerManagementTimer_}) {
        if (*timer) (*timer)->invalidate();
    }
    parts_->power.releasePowerAssertion();
    parts_->controllers.endPollingLoops();
    onMain([](AutomaticUSBStabilizer& stabilizer) {
        stabilizer.currentStabilityLevel.set(StabilityLevel::monitoring);
        stabilizer.lastStabilizationAction.set("Automatic stabilization stopped");
        stabilizer.powerManagementActive.set(false);
    });
    parts_->context.log("🛑 Automatic USB Stabilizer: DURDURULDU");
}

void AutomaticUSBStabilizer::onMain(std::function<void(AutomaticUSBStabilizer&)> change) {
    platform_.scheduler->asyncMain([weak = weak_from_this(), change = std::move(change)] {
        if (auto self = weak.lock()) change(*self);
    });
}

void AutomaticUSBStabilizer::endWatchdog() {
    if (rtl9210EmergencyTimer_) rtl9210EmergencyTimer_->invalidate();
    rtl9210EmergencyTimer_.reset();
}

void AutomaticUSBStabilizer::detectUSBControllers() {
    queue_->async([weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        auto controllers = self->parts_->controllers.readControllers();
        self->platform_.scheduler->asyncMain(
            [self, controllers = std::move(controllers)]() mutable { self->publishDetectedControllers(std::move(controllers)); });
    });
}

void AutomaticUSBStabilizer::publishDetectedControllers(std::vector<USBControllerInfo> controllers) {
    long long count = 0;
    for (const auto& controller : controllers) count += controller.hasKnownIssues ? 1 : 0;
    usbControllerInfo.set(std::move(controllers));
    if (count == 0) {
        lastStabilizationAction.set("✅ All USB controllers stable");
    } else {
        lastStabilizationAction.set("🔍 " + std::to_string(count) + " problematic USB controllers detected");
        parts_->context.log("⚠️ Detected " + std::to_string(count) + " problematic USB controllers");
        powerManagementActive.set(true);
        currentStabilityLevel.set(StabilityLevel::powerManagement);
    }
    // Advanced power management at start reads the list before any detection
    // has finished, so the per-controller scripts would never run; the first
    // detection therefore follows up with it.
    if (!followedFirstDetection_) {
        followedFirstDetection_ = true;
        if (monitoring_) startAdvancedPowerManagement();
    }
}

void AutomaticUSBStabilizer::startAdvancedPowerManagement() {
    // The chip scripts run on the queue with the list as published now; the
    // level and the keep-alive timer follow on the main thread.
    queue_->async([weak = weak_from_this(), controllers = usbControllerInfo.get()] {
        auto self = weak.lock();
        if (!self || !self->monitoring_) return;
        const bool problems = self->parts_->controllers.startAdvancedPowerManagement(controllers);
        // A stop during the chip scripts ended only the loops held by then:
        // the flag is cleared before that, so one of the two ends these.
        if (!self->monitoring_) self->parts_->controllers.endPollingLoops();
        if (!problems) return;
        self->onMain([](AutomaticUSBStabilizer& stabilizer) {
            // A stop meanwhile wins: no level change, no timer.
            if (!stabilizer.monitoring_) return;
            stabilizer.powerManagementActive.set(true);
            stabilizer.currentStabilityLevel.set(StabilityLevel::powerManagement);
            stabilizer.lastStabilizationAction.set("🔋 Advanced power management active");
            if (stabilizer.powerManagementTimer_) stabilizer.powerManagementTimer_->invalidate();
            stabilizer.powerManagementTimer_ = stabilizer.scheduleQueuedTimer(
                120.0, stabilizer.powerManagementGate_, &AutomaticUSBStabilizer::performPowerManagementCycle);
        });
    });
}

std::shared_ptr<Timer> AutomaticUSBStabilizer::scheduleQueuedTimer(double interval, TickGate& gate,
                                                                   void (AutomaticUSBStabilizer::*work)()) {
    // The gate is the stabilizer's, so it is reached only through a live stabilizer.
    return platform_.scheduler->scheduleRepeatingTimer(interval, [weak = weak_from_this(), &gate, work] {
        auto self = weak.lock();
        if (!self) return;
        gate.submit(*self->queue_, [weak, work] {
            if (auto queued = weak.lock()) ((*queued).*work)();
        });
    });
}

void AutomaticUSBStabilizer::startUSBMonitoring() {
    usbMonitorTimer_ = scheduleQueuedTimer(10.0, usbMonitorGate_, &AutomaticUSBStabilizer::monitorUSBDisks);
}

void AutomaticUSBStabilizer::startAdobeDetection() {
    // Deliberately not kept: only the scheduler holds it, so a stop leaves it running.
    scheduleQueuedTimer(60.0, adobeGate_, &AutomaticUSBStabilizer::detectAdobeActivity);
}

void AutomaticUSBStabilizer::startMainStabilizationLoop() {
    stabilizationTimer_ = scheduleQueuedTimer(30.0, stabilizationGate_, &AutomaticUSBStabilizer::performStabilizationCycle);
}

void AutomaticUSBStabilizer::startRTL9210EmergencyMonitoring() {
    if (rtl9210EmergencyTimer_) rtl9210EmergencyTimer_->invalidate();
    // The timer holds the stabilizer strongly: the watchdog outlives a stop.
    // The check itself holds it weakly, like all queued work.
    rtl9210EmergencyTimer_ = platform_.scheduler->scheduleRepeatingTimer(15.0, [self = shared_from_this()] {
        self->watchdogGate_.submit(*self->watchdogQueue_, [weak = std::weak_ptr<AutomaticUSBStabilizer>(self)] {
            if (auto queued = weak.lock()) queued->parts_->watchdog.checkRTL9210Health();
        });
    });
    parts_->context.log("🚨 RTL9210B Emergency Recovery System başlatıldı");
}

void AutomaticUSBStabilizer::detectAdobeActivity() { parts_->adobe.detectAdobeActivity(); }

void AutomaticUSBStabilizer::monitorUSBDisks() {
    auto disks = parts_->lister.getCurrentUSBDisks();
    auto published = usbDisksProtected.get();
    const std::size_t previous = published.size();
    std::set<std::string> names;
    for (const auto& disk : disks) names.insert(disk.name);
    const std::set<std::string> publishedNames(published.begin(), published.end());
    if (names != publishedNames) {
        onMain([current = std::vector<std::string>(names.begin(), names.end())](AutomaticUSBStabilizer& stabilizer) {
            stabilizer.usbDisksProtected.set(current);
        });
    }
    // Counts only: one disk swapped for another between ticks is not a change.
    if (names.size() != previous) {
        parts_->context.log("🔄 USB disk değişikliği algılandı - stabilization gerekli");
        parts_->immediate.performImmediateStabilization(disks);
        if (disks.size() < previous) parts_->recovery.checkForSystemWideEnumerationFailures();
    }
    for (const auto& disk : disks) parts_->health.performDiskHealthCheck(disk);
}

void AutomaticUSBStabilizer::performStabilizationCycle() {
    if (!monitoring_) return;
    auto disks = parts_->lister.getCurrentUSBDisks();
    for (const auto& disk : disks) parts_->health.checkUSBDiskHealth(disk);
    for (std::size_t i = 0; i < disks.size(); ++i) parts_->context.run(Script(kSocketBufferScript).onlyTunesSettings());
    parts_->context.run(Script(kNoSleepScript).onlyTunesSettings());
    parts_->context.run(Script(kVirtualMemoryScript).onlyTunesSettings());
    parts_->context.publish(std::nullopt,
                            "Stabilization issue completed (" + shortTimeText(platform_.scheduler->now()) + ")");
}

void AutomaticUSBStabilizer::performPowerManagementCycle() {
    parts_->controllers.performPowerManagementCycle(usbControllerInfo.get());
}

}  // namespace velmora
