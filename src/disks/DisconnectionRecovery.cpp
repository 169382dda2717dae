#include "disks/DisconnectionRecovery.h"

#include <utility>

#include "disks/DiskHistory.h"
#include "disks/MonitorRunnerMessages.h"
#include "foundation/process/Script.h"
#include "foundation/strings/DecimalInteger.h"
#include "platform/DiskutilQuery.h"
#include "platform/LogShowEntries.h"

namespace velmora {

namespace {

constexpr const char* enhancedRecoveryScript =
    "# USB subsystem tamamen yenile\n"
    "sudo kextunload -b com.apple.driver.usb.cdc 2>/dev/null || true\n"
    "sudo kextunload -b com.apple.iokit.IOUSBHostFamily 2>/dev/null || true\n"
    "sudo kextunload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true\n"
    "sleep 3\n"
    "sudo kextload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true\n"
    "sudo kextload -b com.apple.iokit.IOUSBHostFamily 2>/dev/null || true\n"
    "sudo kextload -b com.apple.driver.usb.cdc 2>/dev/null || true\n"
    "sleep 2\n"
    "\n"
    "# USB daemon yenile\n"
    "sudo launchctl kickstart -k system/com.apple.usbd\n"
    "sleep 1\n"
    "\n"
    "# Disk tarama\n"
    "diskutil list > /dev/null 2>&1";

}  // namespace

std::shared_ptr<DisconnectionRecovery> DisconnectionRecovery::create(Platform platform,
                                                                     std::shared_ptr<const DiskDiscovery> discovery,
                                                                     Events events) {
    return std::shared_ptr<DisconnectionRecovery>(
        new DisconnectionRecovery(std::move(platform), std::move(discovery), std::move(events)));
}

DisconnectionRecovery::DisconnectionRecovery(Platform platform, std::shared_ptr<const DiskDiscovery> discovery,
                                             Events events)
    : platform_(std::move(platform)), discovery_(std::move(discovery)), events_(std::move(events)) {}

void DisconnectionRecovery::handleDiskDisconnection(const DiskInfo& disk) {
    if (!disk.isExternal) return;
    const bool enumerationFailure = checkForEnumerationFailure(disk);
    int count = 0;
    {
        std::lock_guard lock(mutex_);
        count = ++disconnectionCount_[disk.id];
        lastSeenTime_[disk.id] = platform_.scheduler->now();
    }
    if (enumerationFailure) {
        platform_.diagnostics->line("🚨 ENUMERATION FAILURE tespit edildi: " + disk.name);
        handleEnumerationFailure(disk);
        return;
    }
    if (count >= unstableDisconnectionCount) {
        platform_.scheduler->asyncMain([weak = weak_from_this(), disk] {
            if (auto self = weak.lock(); self && self->events_.connectionUnstable) self->events_.connectionUnstable(disk);
        });
        platform_.diagnostics->line("⚠️ USB bağlantısı stabil değil: " + disk.name + " (" + std::to_string(count) +
                                    " kez koptu)");
        attemptReconnection(disk);
    }
}

bool DisconnectionRecovery::checkForEnumerationFailure(const DiskInfo& disk) {
    Script script;
    script
        .code("log show --predicate 'eventMessage contains \"enumeration failures\" OR eventMessage contains "
              "\"failed to create device\"' --start \"$(date -v-30S '+%Y-%m-%d %H:%M:%S')\" --style syslog "
              "2>/dev/null")
        // The name alone would also match a header line that happens to hold
        // it ("data", "log").
        .code(logShowEntryLinesOnly)
        .code(" | grep -i -F -e ")
        .value(disk.name)
        .code(" | wc -l")
        .onlyReads();
    const std::string output = platform_.runner().runScriptWithOutput(script, monitorOutputMessages());
    const auto count = parseTrimmedDecimalInteger(output);
    if (!count) return false;
    if (*count >= 1) {
        platform_.diagnostics->line("📊 Enumeration failure sayısı: " + std::to_string(*count) + " - " + disk.name);
        remember(disk, HistoryKind::enumerationFailure, std::to_string(*count) + " in the log's last 30 s",
                 static_cast<double>(*count));
    }
    return *count > 1;
}

void DisconnectionRecovery::handleEnumerationFailure(const DiskInfo& disk) {
    platform_.diagnostics->line("🔧 ENUMERATION FAILURE RECOVERY başlatıldı: " + disk.name);
    announceStable(false);
    performUSBHubSoftReset();
    performEnumerationRecovery(disk);
    refreshUSBController();
    platform_.scheduler->asyncGlobalAfter(QualityOfService::defaultQoS, recoveryWaitSeconds,
                                          [weak = weak_from_this(), disk] {
                                              if (auto self = weak.lock()) self->verifyEnumerationRecovery(disk);
                                          });
}

void DisconnectionRecovery::verifyEnumerationRecovery(const DiskInfo& disk) {
    for (const auto& current : discovery_->getCurrentDisks()) {
        if (current.id == disk.id) {
            platform_.diagnostics->line("✅ Enumeration recovery BAŞARILI: " + disk.name);
            remember(disk, HistoryKind::recoveryScript, "enumeration recovery: succeeded");
            recovered(disk);
            return;
        }
    }
    platform_.diagnostics->line("❌ Enumeration recovery BAŞARISIZ: " + disk.name);
    remember(disk, HistoryKind::recoveryScript, "enumeration recovery: failed");
    performEnhancedEnumerationRecovery(disk);
}

void DisconnectionRecovery::remember(const DiskInfo& disk, HistoryKind kind, std::string detail, double value) const {
    if (!platform_.history) return;
    auto event = diskHistoryEvent(disk, kind, std::move(detail), platform_.scheduler->now());
    event.value = value;
    platform_.history->record(std::move(event));
}

void DisconnectionRecovery::performUSBHubSoftReset() {
    platform_.diagnostics->line("🔄 USB Hub soft reset...");
    runStabilizerScript(Script(
        "sudo kextunload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true\nsleep 1\n"
        "sudo kextload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true"));
    platform_.diagnostics->line("✅ USB Hub soft reset tamamlandı");
}

void DisconnectionRecovery::performEnumerationRecovery(const DiskInfo& disk) {
    platform_.diagnostics->line("🔄 Enumeration recovery: " + disk.name);
    Script script;
    script
        .code("sudo kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\nsleep 2\n"
              "sudo kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\nsleep 1\n"
              "diskutil list | grep -q -F -e ")
        .value(disk.id)
        .code(" && diskutil mount ")
        .value(disk.path)
        .code(" 2>/dev/null || true");
    runStabilizerScript(script);
    platform_.diagnostics->line("✅ Enumeration recovery tamamlandı: " + disk.name);
}

void DisconnectionRecovery::refreshUSBController() {
    platform_.diagnostics->line("🔄 USB Controller refresh...");
    runStabilizerScript(Script(
        "sudo launchctl kickstart -k system/com.apple.usbd\nsleep 1\n"
        "system_profiler SPUSBDataType > /dev/null 2>&1 &"));
    platform_.diagnostics->line("✅ USB Controller refresh tamamlandı");
}

void DisconnectionRecovery::performEnhancedEnumerationRecovery(const DiskInfo& disk) {
    platform_.diagnostics->line("🚨 ENHANCED ENUMERATION RECOVERY başlatıldı: " + disk.name);
    runStabilizerScript(Script(enhancedRecoveryScript));
    platform_.diagnostics->line("✅ Enhanced enumeration recovery tamamlandı");
    remember(disk, HistoryKind::recoveryScript, "enhanced enumeration recovery: ran");
}

void DisconnectionRecovery::attemptReconnection(const DiskInfo& disk) {
    platform_.scheduler->asyncGlobalAfter(QualityOfService::defaultQoS, recoveryWaitSeconds,
                                          [weak = weak_from_this(), disk] {
                                              if (auto self = weak.lock()) self->forceReconnectUSBDisk(disk);
                                          });
}

void DisconnectionRecovery::forceReconnectUSBDisk(const DiskInfo& disk) {
    platform_.diagnostics->line("🔄 USB disk yeniden bağlanmaya çalışılıyor: " + disk.name);
    const RunResult run = platform_.processes->run(
        diskutilRequest({"resetPartition", disk.path}, OutputWiring::inherit));
    if (!run.started()) {
        platform_.diagnostics->line("❌ USB yeniden bağlanma hatası: " + run.errorDescription);
        attemptMountUnmount(disk);
        return;
    }
    if (run.succeeded()) {
        platform_.diagnostics->line("✅ USB disk başarıyla yeniden bağlandı: " + disk.name);
        remember(disk, HistoryKind::recoveryScript, "reconnect (resetPartition): succeeded");
        recovered(disk);
    }
}

void DisconnectionRecovery::attemptMountUnmount(const DiskInfo& disk) {
    const RunResult unmount = platform_.processes->run(
        diskutilRequest({"unmount", "force", disk.path}, OutputWiring::inherit));
    if (!unmount.started()) {
        platform_.diagnostics->line("❌ Mount/unmount hatası: " + unmount.errorDescription);
        return;
    }
    platform_.scheduler->sleep(unmountPauseSeconds);
    const RunResult mount = platform_.processes->run(
        diskutilRequest({"mount", disk.path}, OutputWiring::inherit));
    if (!mount.started()) {
        platform_.diagnostics->line("❌ Mount/unmount hatası: " + mount.errorDescription);
        return;
    }
    if (mount.succeeded()) {
        platform_.diagnostics->line("✅ Disk mount/unmount ile yeniden bağlandı: " + disk.name);
        recovered(disk);
    }
}

int DisconnectionRecovery::disconnectionCount(const std::string& identifier) const {
    std::lock_guard lock(mutex_);
    const auto found = disconnectionCount_.find(identifier);
    return found == disconnectionCount_.end() ? 0 : found->second;
}

std::optional<Date> DisconnectionRecovery::lastSeenTime(const std::string& identifier) const {
    std::lock_guard lock(mutex_);
    const auto found = lastSeenTime_.find(identifier);
    if (found == lastSeenTime_.end()) return std::nullopt;
    return found->second;
}

void DisconnectionRecovery::runStabilizerScript(const Script& script) const {
    platform_.runner().runScript(script, monitorStabilizerMessages());
}

void DisconnectionRecovery::recovered(const DiskInfo& disk) {
    {
        std::lock_guard lock(mutex_);
        disconnectionCount_[disk.id] = 0;
    }
    announceStable(true);
}

void DisconnectionRecovery::announceStable(bool stable) {
    platform_.scheduler->asyncMain([weak = weak_from_this(), stable] {
        if (auto self = weak.lock(); self && self->events_.connectionStable) self->events_.connectionStable(stable);
    });
}

}  // namespace velmora
