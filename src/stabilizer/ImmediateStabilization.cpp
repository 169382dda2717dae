#include "stabilizer/ImmediateStabilization.h"

#include <string>

namespace velmora {

ImmediateStabilization::ImmediateStabilization(const StabilizerContext& context, PowerProtection& power)
    : context_(context), power_(power) {}

void ImmediateStabilization::performImmediateStabilization(const std::vector<USBDiskInfo>& disks) const {
    context_.log("⚡ IMMEDIATE USB STABILIZATION başlatıldı");
    context_.publish(StabilityLevel::stabilizing, "⚡ Anında stabilizasyon uygulanıyor...");
    for (const auto& disk : disks) stabilizeIndividualUSBDisk(disk);
    power_.refreshPowerAssertion();
    context_.publishAfter(2.0, StabilityLevel::protecting, "✅ Anında stabilizasyon tamamlandı");
}

void ImmediateStabilization::stabilizeIndividualUSBDisk(const USBDiskInfo& disk) const {
    context_.log("🔧 Individual stabilization: " + disk.name);
    context_.run(Script().code("diskutil mount ").value(disk.path));
    if (disk.mountPoint) {
        // Quoted, a mount point with spaces is remounted like any other.
        context_.run(Script()
                         .code("sudo mount -o remount,noatime ")
                         .value(*disk.mountPoint)
                         .code(" 2>/dev/null || true"));
    }
    checkUSBConnectionQuality(disk);
}

void ImmediateStabilization::checkUSBConnectionQuality(const USBDiskInfo& disk) const {
    // The name is the device's own text: matched literally, never as a pattern.
    std::string tree =
        context_.output(Script().code("ioreg -l -p IOUSB | grep -A 10 -B 10 -F -e ").value(disk.name).onlyReads());
    if (tree.find("Speed") != std::string::npos && tree.find("High") != std::string::npos) {
        context_.log("✅ USB bağlantı kalitesi: Yüksek - " + disk.name);
        return;
    }
    context_.log("⚠️ USB bağlantı kalitesi: Düşük - " + disk.name);
    attemptUSBConnectionImprovement(disk);
}

void ImmediateStabilization::attemptUSBConnectionImprovement(const USBDiskInfo& disk) const {
    context_.log("🔄 USB bağlantı iyileştirmesi: " + disk.name);
    context_.run(Script(
        "sudo kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
        "sleep 1\n"
        "sudo kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true"));
}

}  // namespace velmora
