#include "stabilizer/USBDiskHealth.h"

#include <string>

namespace velmora {

USBDiskHealth::USBDiskHealth(const StabilizerContext& context) : context_(context) {}

void USBDiskHealth::performDiskHealthCheck(const USBDiskInfo& disk) const {
    // Run directly (no sudo rule, nothing captured): only the exit status of
    // the final grep matters.
    Script check;
    check.code("diskutil info ").value(disk.path).code(" 2>/dev/null | grep -E \"(Mount Point|Device Node)\" > /dev/null");
    RunSpec request;
    request.program = "/bin/sh";
    request.arguments = {"-c", check.text()};
    request.effect = RunEffect::nothing;
    request.output = OutputWiring::inherit;
    request.error = ErrorWiring::inherit;
    RunResult result = context_.platform().processes->run(request);
    if (!result.started()) {
        context_.log("❌ Health check error: " + disk.name);
        return;
    }
    if (!result.succeeded()) {
        context_.log("⚠️ Health check failed: " + disk.name);
        performIndividualDiskRecovery(disk);
    }
}

void USBDiskHealth::performIndividualDiskRecovery(const USBDiskInfo& disk) const {
    context_.log("🔧 Individual disk recovery: " + disk.name);
    Script recovery;
    recovery.code("# Disk'i unmount et ve tekrar mount et\ndiskutil unmount force ")
        .value(disk.path)
        .code(" 2>/dev/null || true\nsleep 1\ndiskutil mount ")
        .value(disk.path)
        .code(" 2>/dev/null || true");
    context_.run(recovery);
}

void USBDiskHealth::checkUSBDiskHealth(const USBDiskInfo& disk) const {
    Script query;
    query.code("diskutil info ")
        .value(disk.path)
        .code(" | grep -E \"(Device Node|Mount Point|File System)\"")
        .onlyReads();
    std::string output = context_.output(query);
    if (output.find("No such file") != std::string::npos || output.find("error") != std::string::npos) {
        context_.log("⚠️ USB disk health sorunu: " + disk.name);
        performDiskRecovery(disk);
    }
}

void USBDiskHealth::performDiskRecovery(const USBDiskInfo& disk) const {
    context_.log("🚑 Disk recovery başlatıldı: " + disk.name);
    Script recovery;
    recovery.code("diskutil unmount force ")
        .value(disk.path)
        .code(" 2>/dev/null || true\nsleep 2\ndiskutil mount ")
        .value(disk.path)
        .code(" 2>/dev/null || true");
    context_.run(recovery);
}

}  // namespace velmora
