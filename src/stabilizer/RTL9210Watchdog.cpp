#include "stabilizer/RTL9210Watchdog.h"

namespace velmora {

namespace {

constexpr const char* kHealthCheck =
    "# RTL9210B timeout ve hata kontrolü\n"
    "if ioreg -p IOUSB -l | grep -q \"RTL9210.*timeout\\|RTL9210.*error\\|RTL9210.*disconnect\"; then\n"
    "    echo \"TIMEOUT_DETECTED\"\n"
    "else\n"
    "    echo \"HEALTHY\"\n"
    "fi";

constexpr const char* kQuickFix =
    "# RTL9210B Quick Fix\n"
    "# 1. USB device refresh\n"
    "ioreg -p IOUSB -c IOUSBHostDevice | grep -A 10 \"RTL9210\" > /dev/null 2>&1 || true\n"
    "\n"
    "# 2. Timeout değerlerini tekrar set et\n"
    "sudo sysctl -w kern.usb.bulk_timeout=30000 2>/dev/null || true\n"
    "sudo sysctl -w kern.usb.control_timeout=10000 2>/dev/null || true\n"
    "\n"
    "# 3. Active polling\n"
    "diskutil list > /dev/null 2>&1 || true";

constexpr const char* kEmergencyRecovery =
    "# RTL9210B Emergency Recovery Protocol\n"
    "echo \"🚨 RTL9210B Emergency Recovery başladı\"\n"
    "\n"
    "# 1. USB Mass Storage driver'ı yeniden yükle\n"
    "sudo kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
    "sleep 3\n"
    "sudo kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
    "\n"
    "# 2. USB stack reset\n"
    "sudo kextunload -b com.apple.iokit.IOUSBHostFamily 2>/dev/null || true\n"
    "sleep 2\n"
    "sudo kextload -b com.apple.iokit.IOUSBHostFamily 2>/dev/null || true\n"
    "\n"
    "# 3. Power management sıfırla\n"
    "sudo pmset -a force\n"
    "sudo pmset -a usbsleep 0\n"
    "sudo pmset -a disksleep 0\n"
    "\n"
    "# 4. USB 3.0 controller reset\n"
    "sudo sysctl -w hw.usb.reset=1 2>/dev/null || true\n"
    "\n"
    "echo \"✅ RTL9210B Emergency Recovery tamamlandı\"";

}  // namespace

RTL9210Watchdog::RTL9210Watchdog(const StabilizerContext& context) : context_(context) {}

void RTL9210Watchdog::checkRTL9210Health() {
    std::string result = context_.result(Script(kHealthCheck).onlyReads());
    if (result.find("TIMEOUT_DETECTED") != std::string::npos) {
        handleRTL9210Timeout();
        return;
    }
    // Anything else, an empty answer included, is a healthy tick: counting is
    // of consecutive detections only.
    for (auto& entry : rtl9210TimeoutCount_) entry.second = 0;
}

void RTL9210Watchdog::handleRTL9210Timeout() {
    context_.log("⚠️ RTL9210B timeout tespit edildi, emergency recovery başlatılıyor");
    int& count = rtl9210TimeoutCount_[globalKey];
    count += 1;
    if (count >= rtl9210MaxTimeouts) {
        performRTL9210EmergencyRecovery();
        rtl9210TimeoutCount_[globalKey] = 0;
        return;
    }
    context_.log("⚡ RTL9210B Quick Fix uygulanıyor");
    context_.run(Script(kQuickFix));
}

void RTL9210Watchdog::performRTL9210EmergencyRecovery() {
    context_.log("🚨 RTL9210B EMERGENCY RECOVERY başlatılıyor");
    context_.run(Script(kEmergencyRecovery));
    context_.publish(std::nullopt, "🚨 RTL9210B Emergency Recovery yapıldı");
}

}  // namespace velmora
