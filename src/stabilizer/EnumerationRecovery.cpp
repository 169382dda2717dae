#include "stabilizer/EnumerationRecovery.h"

#include <string>

#include "foundation/strings/DecimalInteger.h"
#include "platform/LogShowEntries.h"

namespace velmora {

namespace {

constexpr const char* kDetectionQuery =
    "log show --predicate 'eventMessage contains \"enumeration failures\" OR eventMessage contains \"failed to "
    "create device\" OR eventMessage contains \"persistent enumeration\"' --start \"$(date -v-60S '+%Y-%m-%d "
    "%H:%M:%S')\" --style syslog 2>/dev/null";

constexpr const char* kVerificationQuery =
    "log show --predicate 'eventMessage contains \"enumeration failures\" OR eventMessage contains \"failed to "
    "create device\"' --start \"$(date -v-10S '+%Y-%m-%d %H:%M:%S')\" --style syslog 2>/dev/null";

// Only entry lines are counted: the lines log show prints around them would
// otherwise make a quiet log read as failures.
Script countOfEntries(const char* query) { return Script().code(query).code(logShowEntryLinesOnly).code(" | wc -l"); }

constexpr const char* kRefreshScript =
    "# USB Mass Storage Class driver'ı yenile\n"
    "sudo kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
    "sleep 1\n"
    "sudo kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
    "\n"
    "# USB Family driver'ları yenile\n"
    "sudo kextunload -b com.apple.iokit.IOUSBHostFamily 2>/dev/null || true\n"
    "sleep 1\n"
    "sudo kextload -b com.apple.iokit.IOUSBHostFamily 2>/dev/null || true";

constexpr const char* kPowerResetScript =
    "# USB port power'ı resetle\n"
    "sudo pmset -a usbsleep 0\n"
    "sudo pmset -a disksleep 0\n"
    "\n"
    "# USB power saving'i tamamen deaktif et\n"
    "sudo sysctl -w hw.usb.power_save=0 2>/dev/null || true\n"
    "sudo sysctl -w hw.usb.autosuspend=0 2>/dev/null || true";

constexpr const char* kControllerRestartScript =
    "# USB daemon'ları yenile\n"
    "sudo launchctl kickstart -k system/com.apple.usbd\n"
    "\n"
    "# USB controller durumunu yenile\n"
    "system_profiler SPUSBDataType > /dev/null 2>&1 &\n"
    "\n"
    "# IORegistry'yi temizle\n"
    "sudo kextunload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true\n"
    "sleep 2\n"
    "sudo kextload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true";

constexpr const char* kEnhancedRecoveryScript =
    "# Tüm USB ile ilgili kernel extension'ları yenile\n"
    "sudo kextunload -b com.apple.driver.usb.cdc 2>/dev/null || true\n"
    "sudo kextunload -b com.apple.driver.usb.composite 2>/dev/null || true\n"
    "sudo kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
    "sudo kextunload -b com.apple.iokit.IOUSBHostFamily 2>/dev/null || true\n"
    "sudo kextunload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true\n"
    "\n"
    "sleep 5\n"
    "\n"
    "sudo kextload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true\n"
    "sudo kextload -b com.apple.iokit.IOUSBHostFamily 2>/dev/null || true\n"
    "sudo kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
    "sudo kextload -b com.apple.driver.usb.composite 2>/dev/null || true\n"
    "sudo kextload -b com.apple.driver.usb.cdc 2>/dev/null || true\n"
    "\n"
    "# USB daemon'ları tamamen yenile\n"
    "sudo launchctl kickstart -k system/com.apple.usbd\n"
    "sudo launchctl kickstart -k system/com.apple.diskmanagementd\n"
    "\n"
    "sleep 3\n"
    "\n"
    "# Disk listesini yenile\n"
    "diskutil list > /dev/null 2>&1";

}  // namespace

EnumerationRecovery::EnumerationRecovery(const StabilizerContext& context, const USBDiskLister& lister)
    : context_(context), lister_(lister) {}

std::optional<long long> EnumerationRecovery::readCount(std::string_view output) {
    return parseTrimmedDecimalInteger(output);
}

void EnumerationRecovery::checkForSystemWideEnumerationFailures() {
    auto count = readCount(context_.output(countOfEntries(kDetectionQuery)));
    if (!count || *count < 1) return;
    context_.log("🚨 Sistem genelinde " + std::to_string(*count) + " enumeration failure tespit edildi");
    context_.publish(StabilityLevel::stabilizing,
                     "🚨 Enumeration failure'lar tespit edildi - stabilizasyon uygulanıyor");
    performSystemWideEnumerationRecovery();
}

void EnumerationRecovery::performSystemWideEnumerationRecovery() {
    context_.log("🔧 SİSTEM GENELİ ENUMERATION RECOVERY başlatıldı");
    refreshUSBSubsystem();
    resetUSBPowerManagement();
    reinitializeUSBControllers();
    // The check holds the stabilizer strongly: it must happen even if the
    // stabilizer is stopped or dropped meanwhile.
    auto owner = context_.holdOwner();
    context_.platform().scheduler->asyncGlobalAfter(QualityOfService::defaultQoS, 5.0, [this, owner] {
        if (owner) verifySystemWideRecovery();
    });
}

void EnumerationRecovery::refreshUSBSubsystem() {
    context_.log("🔄 USB subsystem yenileniyor...");
    context_.run(Script(kRefreshScript));
    context_.log("✅ USB subsystem yenilendi");
}

void EnumerationRecovery::resetUSBPowerManagement() {
    context_.log("🔋 USB power management resetleniyor...");
    context_.run(Script(kPowerResetScript).onlyTunesSettings());
    context_.log("✅ USB power management resetlendi");
}

void EnumerationRecovery::reinitializeUSBControllers() {
    context_.log("🔌 USB controller'lar yeniden başlatılıyor...");
    context_.run(Script(kControllerRestartScript));
    context_.log("✅ USB controller'lar yeniden başlatıldı");
}

void EnumerationRecovery::verifySystemWideRecovery() {
    auto disks = lister_.getCurrentUSBDisks();
    context_.log("📊 Recovery sonrası USB disk sayısı: " + std::to_string(disks.size()));
    long long count = readCount(context_.output(countOfEntries(kVerificationQuery))).value_or(0);
    if (count != 0) {
        context_.log("⚠️ Hala enumeration failure'lar devam ediyor: " + std::to_string(count));
        context_.publish(StabilityLevel::maximum, "⚠️ Enhanced recovery gerekli");
        performEnhancedSystemRecovery();
        return;
    }
    context_.log("✅ Sistem geneli enumeration recovery BAŞARILI");
    context_.publish(StabilityLevel::protecting, "✅ Sistem geneli recovery başarılı");
}

void EnumerationRecovery::performEnhancedSystemRecovery() {
    context_.log("🚨 ENHANCED SYSTEM RECOVERY başlatıldı");
    context_.run(Script(kEnhancedRecoveryScript));
    context_.log("✅ Enhanced system recovery tamamlandı");
    context_.publish(StabilityLevel::protecting, "✅ Enhanced recovery tamamlandı");
}

}  // namespace velmora
