#include "stabilizer/USBDiskLister.h"

#include <algorithm>
#include <cctype>

#include "foundation/plist/PlistValue.h"

namespace velmora {

namespace {

constexpr const char* kDiskutil = "/usr/sbin/diskutil";

bool containsDiskImage(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("disk image") != std::string::npos;
}

// diskutil with its output piped and its error stream left alone; the parsed
// property list, or the reason there is none.
struct DiskutilReading {
    std::optional<PlistValue> value;
    std::string failure;
};

DiskutilReading readDiskutil(ProcessLauncher& processes, std::vector<std::string> arguments) {
    RunSpec request;
    request.program = kDiskutil;
    request.arguments = std::move(arguments);
    request.output = OutputWiring::pipe;
    request.error = ErrorWiring::inherit;
    RunResult result = processes.run(request);
    if (!result.started()) return {std::nullopt, result.errorDescription};
    auto decoded = decodeUTF8(result.output);
    if (!decoded) return {std::nullopt, "The data couldn’t be read because it isn’t in the correct format."};
    PlistParseResult parsed = parsePlist(*decoded);
    if (!parsed.value) return {std::nullopt, parsed.error};
    return {std::move(parsed.value), {}};
}

}  // namespace

USBDiskLister::USBDiskLister(std::shared_ptr<ProcessLauncher> processes, std::shared_ptr<Diagnostics> diagnostics)
    : processes_(std::move(processes)), diagnostics_(std::move(diagnostics)) {}

std::vector<USBDiskInfo> USBDiskLister::getCurrentUSBDisks() const {
    DiskutilReading listing = readDiskutil(*processes_, {"list", "-plist"});
    if (!listing.value) {
        diagnostics_->line("❌ USB disk listesi alınamadı: " + listing.failure);
        return {};
    }
    auto wholeDisks = listing.value->stringList("WholeDisks");
    if (!wholeDisks) return {};
    std::vector<USBDiskInfo> disks;
    for (const auto& id : *wholeDisks) {
        if (auto disk = getUSBDiskInfo(id)) disks.push_back(std::move(*disk));
    }
    return disks;
}

std::optional<USBDiskInfo> USBDiskLister::getUSBDiskInfo(const std::string& id) const {
    DiskutilReading description = readDiskutil(*processes_, {"info", "-plist", id});
    if (!description.value) {
        diagnostics_->line("❌ USB disk bilgisi alınamadı: " + description.failure);
        return std::nullopt;
    }
    const PlistValue& info = *description.value;
    if (!info.asDictionary()) return std::nullopt;
    // Only a disk that says outright it is not internal counts as external.
    if (info.boolean("Internal") != std::optional<bool>(false)) return std::nullopt;

    USBDiskInfo disk;
    disk.id = id;
    disk.name = info.string("MediaName").value_or(id);
    if (containsDiskImage(disk.name)) return std::nullopt;
    for (const char* key : {"Protocol", "BusProtocol"}) {
        auto protocol = info.string(key);
        if (protocol && containsDiskImage(*protocol)) return std::nullopt;
    }
    disk.mountPoint = info.string("MountPoint");
    disk.size = info.integer("TotalSize").value_or(0);
    disk.path = "/dev/" + id;
    return disk;
}

}  // namespace velmora
