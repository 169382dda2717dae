#include "disks/PeriodicDiskStabilizer.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "disks/MonitorRunnerMessages.h"
#include "platform/Workspace.h"

namespace velmora {

PeriodicDiskStabilizer::PeriodicDiskStabilizer(Platform platform) : platform_(std::move(platform)) {}

void PeriodicDiskStabilizer::applyStartupTuning() const {
    Diagnostics& out = *platform_.diagnostics;
    out.line("Otomatik USB Stabilizer başlatıldı");
    run(Script("sudo pmset -a disksleep 0\nsudo pmset -a hibernatemode 0\nsudo pmset -a powernap 0\n"
               "sudo pmset -a sleep 0\nsudo sysctl -w hw.usb.power_save=0 2>/dev/null || true")
            .onlyTunesSettings());
    out.line("✅ USB güç yönetimi optimize edildi");
    run(Script("sudo sysctl -w kern.ipc.maxsockbuf=8388608\nsudo sysctl -w vm.pressure_disable_threshold=5\n"
               "sudo sysctl -w kern.maxvnodes=100000")
            .onlyTunesSettings());
    out.line("🚀 USB I/O priority artırıldı");
    run(Script("sudo sysctl -w kern.maxfiles=65536\nsudo sysctl -w kern.maxfilesperproc=32768\n"
               "sudo sysctl -w kern.ipc.somaxconn=1024")
            .onlyTunesSettings());
    out.line("🎨 Adobe tolerant modu aktif");
}

void PeriodicDiskStabilizer::stabilize(const std::vector<DiskInfo>& connectedDisks) const {
    std::vector<DiskInfo> external;
    std::copy_if(connectedDisks.begin(), connectedDisks.end(), std::back_inserter(external),
                 [](const DiskInfo& disk) { return disk.isExternal; });
    if (isAdobeApplicationRunning()) {
        if (external.empty()) return;
        platform_.diagnostics->line("🎨 Adobe + USB diskler tespit edildi - enhanced stabilization");
        performEnhancedStabilization(external);
    } else if (!external.empty()) {
        platform_.diagnostics->line("📊 Normal USB stabilization");
        performNormalStabilization(external);
    }
}

bool PeriodicDiskStabilizer::isAdobeApplicationRunning() const {
    for (const auto& app : platform_.workspace->runningApplications()) {
        if (!app.bundleIdentifier) continue;
        if (isCreativeBundleIdentifier(*app.bundleIdentifier)) return true;
    }
    return false;
}

void PeriodicDiskStabilizer::performEnhancedStabilization(const std::vector<DiskInfo>& disks) const {
    for (const auto& disk : disks) {
        keepMounted(disk);
        run(Script()
                .code("ioreg -l -p IOUSB | grep -q -F -e ")
                .value(disk.name)
                .code(" || {\n    kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
                      "    sleep 1\n    kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n}"));
        if (disk.hasMountPoint()) {
            run(Script()
                    .code("sudo mount -o remount,noatime,async ")
                    .value(*disk.mountPoint)
                    .code(" 2>/dev/null || true"));
        }
    }
    run(Script("sudo sysctl -w vm.pressure_disable_threshold=3\nsudo sync").onlyTunesSettings());
}

void PeriodicDiskStabilizer::performNormalStabilization(const std::vector<DiskInfo>& disks) const {
    for (const auto& disk : disks) {
        keepMounted(disk);
        if (disk.hasMountPoint()) {
            run(Script().code("sudo mount -o remount,noatime ").value(*disk.mountPoint).code(" 2>/dev/null || true"));
        }
    }
}

void PeriodicDiskStabilizer::keepMounted(const DiskInfo& disk) const {
    run(Script()
            .code("diskutil info ")
            .value(disk.path)
            .code(" > /dev/null 2>&1 || diskutil mount ")
            .value(disk.path)
            .code(" 2>/dev/null"));
}

void PeriodicDiskStabilizer::run(const Script& script) const {
    platform_.runner().runScript(script, monitorStabilizerMessages());
}

}  // namespace velmora
