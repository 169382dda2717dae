#include "stabilizer/ControllerPowerManagement.h"

#include "stabilizer/USBControllerParser.h"

namespace velmora {

namespace {

// Each family script ends where the device name goes into `ioreg -n`; the name
// is inserted as one quoted word between the two halves.
constexpr const char* kRealtekSetupBeforeName =
    "# RTL9210B kontrollör için gelişmiş güç yönetimi\n"
    "\n"
    "# 1. USB timeout değerlerini artır\n"
    "sudo sysctl -w kern.usb.bulk_timeout=30000 2>/dev/null || true\n"
    "sudo sysctl -w kern.usb.control_timeout=10000 2>/dev/null || true\n"
    "\n"
    "# 2. RTL9210B özel power saving devre dışı\n"
    "sudo pmset -a usbsleep 0\n"
    "sudo pmset -a disksleep 0\n"
    "sudo pmset -a autopoweroff 0\n"
    "\n"
    "# 3. USB 3.0 link power management devre dışı\n"
    "sudo pmset -a tcpkeepalive 1\n"
    "sudo pmset -a powernap 0\n"
    "\n"
    "# 4. RTL9210B enum failure prevention\n"
    "ioreg -p IOUSB -n ";

// The polling loop it starts in the background outlives the script; the
// program holds it (see pollingLoops_).
constexpr const char* kRealtekSetupAfterName =
    " -r -l | grep -E \"(Power|Current|USB|Speed)\" > /dev/null 2>&1 || true\n"
    "\n"
    "# 5. Active polling için background process\n"
    "(while true; do \n"
    "    ioreg -p IOUSB -c IOUSBHostDevice | grep -A 5 \"RTL9210\" > /dev/null 2>&1\n"
    "    sleep 30\n"
    "done) &\n"
    "\n"
    "# 6. USB bus reset prevention\n"
    "system_profiler SPUSBDataType | grep -A 10 \"RTL9210\" > /dev/null 2>&1 &";

constexpr const char* kRealtekKeepAliveBeforeName =
    "# Realtek RTL9210B gelişmiş güç tasarrufu önleme\n"
    "\n"
    "# 1. USB cihazın güç durumunu sürekli kontrol et\n"
    "ioreg -p IOUSB -n ";

constexpr const char* kRealtekKeepAliveAfterName =
    " -r -l | grep -E \"(bConfigurationValue|bMaxPower|kUSBDevicePropertyCurrentConfiguration)\" > /dev/null 2>&1 "
    "|| true\n"
    "\n"
    "# 2. USB endpoint'lerin aktif kalmasını sağla\n"
    "ioreg -p IOUSB -l | grep -A 20 \"RTL9210\" | grep -E \"(endpoint|stream|bulk)\" > /dev/null 2>&1 || true\n"
    "\n"
    "# 3. USB 3.0 U1/U2 power states devre dışı\n"
    "sudo sysctl -w hw.usb3.u1_timeout=0 2>/dev/null || true\n"
    "sudo sysctl -w hw.usb3.u2_timeout=0 2>/dev/null || true\n"
    "\n"
    "# 4. RTL9210B firmware stability check\n"
    "if ioreg -p IOUSB -l | grep -q \"RTL9210.*timeout\"; then\n"
    "    echo \"⚠️ RTL9210B timeout detected, applying emergency recovery\"\n"
    "    sudo kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
    "    sleep 2\n"
    "    sudo kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
    "fi\n"
    "\n"
    "# 5. Active keep-alive signal\n"
    "diskutil list | grep -E \"(external|RTL9210)\" > /dev/null 2>&1 || true";

std::vector<USBControllerInfo> withKnownIssues(const std::vector<USBControllerInfo>& controllers) {
    std::vector<USBControllerInfo> kept;
    for (const auto& controller : controllers) {
        if (controller.hasKnownIssues) kept.push_back(controller);
    }
    return kept;
}

}  // namespace

ControllerPowerManagement::ControllerPowerManagement(const StabilizerContext& context) : context_(context) {}

std::vector<USBControllerInfo> ControllerPowerManagement::readControllers() const {
    std::string output = context_.output(Script(deviceTreeCommand));
    return USBControllerParser::parseUSBControllerOutput(output, context_.platform().scheduler->now(),
                                                         *context_.platform().diagnostics);
}

bool ControllerPowerManagement::startAdvancedPowerManagement(const std::vector<USBControllerInfo>& controllers) {
    auto problematic = withKnownIssues(controllers);
    if (problematic.empty()) return false;
    std::map<std::string, int> seenNames;
    context_.log("🔋 Starting advanced power management for " + std::to_string(problematic.size()) + " controllers");
    for (const auto& controller : problematic) {
        if (!controller.solution) continue;
        context_.log("🎯 Power management for " + controller.deviceName + ": " + controller.solution->name);
        switch (controller.solution->specialHandling) {
            case USBControllerSpecialHandling::realtekRTL9210B:
                performRealtekRTL9210BPowerManagement(
                    controller, controller.deviceName + "#" + std::to_string(seenNames[controller.deviceName]++));
                break;
            case USBControllerSpecialHandling::asmediaGeneric:
                context_.log("🔋 ASMedia Power Management for " + controller.deviceName);
                context_.run(Script("# ASMedia kontrollör optimizasyonu\n"
                                    "sudo sysctl -w hw.usb.power_save=0 2>/dev/null || true")
                                 .onlyTunesSettings());
                break;
            case USBControllerSpecialHandling::jmicronGeneric:
                context_.log("🔋 JMicron Power Management for " + controller.deviceName);
                context_.run(
                    Script("# JMicron kontrollör için power management\nsudo pmset -a usbsleep 0").onlyTunesSettings());
                break;
            case USBControllerSpecialHandling::generic:
                context_.log("🔋 Generic Power Management for " + controller.deviceName);
                context_.run(Script("sudo pmset -a disksleep 0\nsudo pmset -a sleep 0").onlyTunesSettings());
                break;
        }
    }
    return true;
}

void ControllerPowerManagement::performRealtekRTL9210BPowerManagement(const USBControllerInfo& controller,
                                                                      const std::string& loopKey) {
    context_.log("🔋 RTL9210B Advanced Power Management for " + controller.deviceName);
    auto loop = context_.runKeepingJobs(
        Script().code(kRealtekSetupBeforeName).value(controller.deviceName).code(kRealtekSetupAfterName));
    std::shared_ptr<BackgroundJobs> earlier;
    {
        std::lock_guard lock(loopsMutex_);
        auto& held = pollingLoops_[loopKey];
        earlier = std::move(held);
        held = std::move(loop);
    }
    if (earlier) earlier->end();
}

void ControllerPowerManagement::endPollingLoops() {
    std::map<std::string, std::shared_ptr<BackgroundJobs>> loops;
    {
        std::lock_guard lock(loopsMutex_);
        loops.swap(pollingLoops_);
    }
    for (auto& entry : loops) {
        if (entry.second) entry.second->end();
    }
}

void ControllerPowerManagement::performPowerManagementCycle(const std::vector<USBControllerInfo>& controllers) const {
    for (const auto& controller : withKnownIssues(controllers)) {
        if (!controller.solution) continue;
        context_.run(Script("caffeinate -u -t 1"));
        context_.run(Script("diskutil list > /dev/null 2>&1").onlyReads());
        switch (controller.solution->specialHandling) {
            case USBControllerSpecialHandling::realtekRTL9210B:
                context_.run(Script()
                                 .code(kRealtekKeepAliveBeforeName)
                                 .value(controller.deviceName)
                                 .code(kRealtekKeepAliveAfterName));
                break;
            case USBControllerSpecialHandling::asmediaGeneric:
                context_.run(Script("ioreg -l -p IOUSB | grep -A 5 ASMedia > /dev/null").onlyReads());
                break;
            case USBControllerSpecialHandling::jmicronGeneric:
                context_.run(Script("system_profiler SPUSBDataType | grep -i jmicron > /dev/null").onlyReads());
                break;
            case USBControllerSpecialHandling::generic:
                context_.run(
                    Script().code("diskutil info ").value(controller.diskPath).code(" > /dev/null 2>&1").onlyReads());
                break;
        }
    }
    context_.publish(std::nullopt, "✅ Power management active");
}

}  // namespace velmora
