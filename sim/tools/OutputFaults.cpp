#include "sim/tools/OutputFaults.h"

#include <algorithm>

namespace velmora::sim {

namespace {

std::size_t characterBoundaryAtOrBefore(const std::string& s, std::size_t at) {
    at = std::min(at, s.size());
    while (at > 0 && at < s.size() && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80) --at;
    return at;
}

}  // namespace

std::string OutputFaults::garble(const std::string& output) {
    std::string result = output.substr(0, characterBoundaryAtOrBefore(output, output.size() * 3 / 5));
    for (std::size_t i = 3; i < result.size(); i += 7) {
        if (static_cast<unsigned char>(result[i]) < 0x80 && result[i] != '\n') result[i] = '#';
    }
    if (result.empty()) result = "#\x1b[0m#";
    return result;
}

std::string OutputFaults::truncate(const std::string& output) {
    return output.substr(0, characterBoundaryAtOrBefore(output, output.size() / 2));
}

std::string OutputFaults::insertNonUTF8(const std::string& output) {
    static const std::string bad = "\xC3\x28\xFF\xFE";
    std::string result = output;
    std::size_t middle = characterBoundaryAtOrBefore(result, result.size() / 2);
    result.insert(middle, bad);
    std::size_t firstLineEnd = result.find('\n');
    if (firstLineEnd == std::string::npos || firstLineEnd >= middle) {
        result.insert(0, bad);
    } else {
        result.insert(firstLineEnd + 1, bad);
    }
    return result;
}

void OutputFaults::inflate(MachineState& state) {
    if (!state.disks.empty()) {
        Disk* host = &state.disks.front();
        for (auto& disk : state.disks) {
            if (!disk.internal && !disk.synthesized) {
                host = &disk;
                break;
            }
        }
        std::size_t first = host->volumes.size() + 1;
        for (std::size_t n = first; n < first + 1400; ++n) {
            Volume extra;
            extra.identifier = host->identifier + "s" + std::to_string(n);
            extra.content = "Microsoft Basic Data";
            extra.size = 1048576;
            extra.volumeName = "EXTRA" + std::to_string(n);
            extra.fileSystemName = "MS-DOS FAT32";
            extra.fileSystemType = "msdos";
            host->volumes.push_back(std::move(extra));
        }
    }
    std::uint32_t location = 0x00200000;
    for (int n = 0; n < 420; ++n) {
        UsbDevice device;
        device.key = "huge-" + std::to_string(n);
        device.productName = "USB2.0 Hub";
        device.vendorName = "Generic";
        device.vendorId = 1507;
        device.productId = 1544;
        device.locationId = location + static_cast<std::uint32_t>(n) * 0x10;
        device.address = 20 + n;
        device.speed = 2;
        state.usbDevices.push_back(std::move(device));
    }
    int pid = 30000;
    for (int n = 0; n < 2500; ++n) {
        ProcessEntry process;
        process.pid = pid++;
        process.name = "mdworker_shared";
        process.command = "/System/Library/Frameworks/CoreServices.framework/Frameworks/Metadata.framework/Versions/A/Support/mdworker_shared";
        state.processes.push_back(std::move(process));
    }
}

std::string OutputFaults::padToHuge(const std::string& output) {
    if (output.size() >= hugeSize) return output;
    std::string line = "\n";
    std::size_t end = output.size();
    while (end > 0 && output[end - 1] == '\n') --end;
    if (end > 0) {
        std::size_t start = output.rfind('\n', end - 1);
        start = start == std::string::npos ? 0 : start + 1;
        line = output.substr(start, end - start) + "\n";
    }
    std::string result = output;
    if (!result.empty() && result.back() != '\n') result += '\n';
    result.reserve(hugeSize + line.size());
    while (result.size() < hugeSize) result += line;
    return result;
}

}  // namespace velmora::sim
