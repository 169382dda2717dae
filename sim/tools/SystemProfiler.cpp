// system_profiler SPUSBDataType: the USB buses, their devices and, for a
// storage device, the disk behind it with its BSD name.
#include <cstdio>
#include <map>

#include "sim/tools/DiskutilProperties.h"
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

std::string vendorSuffix(int vendorId) {
    switch (vendorId) {
        case 0x0bda: return "  (Realtek Semiconductor Corp.)";
        case 0x174c: return "  (ASMedia Technology Inc.)";
        case 0x152d: return "  (JMicron Technology Corp.)";
        case 0x05ac: return "  (Apple Inc.)";
        default: return "";
    }
}

std::string speedText(int speed) {
    switch (speed) {
        case 0: return "Up to 1.5 Mb/s";
        case 1: return "Up to 12 Mb/s";
        case 2: return "Up to 480 Mb/s";
        case 3: return "Up to 5 Gb/s";
        default: return "Up to 10 Gb/s";
    }
}

std::string groupedDigits(std::int64_t n) {
    std::string digits = std::to_string(n);
    std::string out;
    int count = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (count && count % 3 == 0) out.insert(out.begin(), ',');
        out.insert(out.begin(), *it);
        ++count;
    }
    return out;
}

std::string hex4(int value) { return "0x" + text::lower(text::hex(static_cast<std::uint64_t>(value) & 0xFFFF, 4)); }

void writeDevice(std::string& out, const MachineState& state, const UsbDevice& device) {
    const std::string in = std::string(10, ' ');
    out += "        " + device.productName + ":\n\n";
    out += in + "Product ID: " + hex4(device.productId) + "\n";
    out += in + "Vendor ID: " + hex4(device.vendorId) + vendorSuffix(device.vendorId) + "\n";
    out += in + "Version: 1.00\n";
    if (!device.serialNumber.empty()) out += in + "Serial Number: " + device.serialNumber + "\n";
    out += in + "Speed: " + speedText(device.speed) + "\n";
    out += in + "Manufacturer: " + device.vendorName + "\n";
    out += in + "Location ID: 0x" + text::lower(text::hex(device.locationId, 8)) + " / " + std::to_string(device.address) + "\n";
    out += in + "Current Available (mA): 900\n";
    out += in + "Current Required (mA): 896\n";
    out += in + "Extra Operating Current (mA): 0\n";
    for (const auto& disk : state.disks) {
        if (disk.usbDevice != device.key) continue;
        out += in + "Media:\n";
        out += in + "  " + disk.mediaName + ":\n";
        out += in + "    Capacity: " + text::decimalSize(disk.size) + " (" + groupedDigits(disk.size) + " bytes)\n";
        out += in + "    Removable Media: " + (disk.removable ? "Yes" : "No") + "\n";
        out += in + "    BSD Name: " + disk.identifier + "\n";
        out += in + "    Logical Unit: 0\n";
        if (disk.content == "GUID_partition_scheme") out += in + "    Partition Map Type: GPT (GUID Partition Table)\n";
        if (disk.content == "FDisk_partition_scheme") out += in + "    Partition Map Type: MBR (Master Boot Record)\n";
        out += in + "    S.M.A.R.T. status: " + DiskutilProperties::smartStatus(disk) + "\n";
        out += in + "    USB Interface: 0\n";
    }
    out += "\n";
}

}  // namespace

int runSystemProfiler(ToolContext& ctx, const ToolArguments& args) {
    bool usb = args.empty();
    for (const auto& a : args) {
        if (a == "SPUSBDataType") {
            usb = true;
        } else if (a == "-listDataTypes") {
            ctx.out += "Available Datatypes:\nSPStorageDataType\nSPUSBDataType\n";
            return 0;
        } else if (a == "-detailLevel" || a == "mini" || a == "basic" || a == "full") {
            continue;
        } else if (!a.empty() && a[0] == '-') {
            ctx.err += "system_profiler: invalid option " + a + "\n";
            return 1;
        }
    }
    if (!usb) return 0;
    const MachineState& state = ctx.state();
    std::map<std::uint32_t, std::vector<const UsbDevice*>> buses;
    buses[0];
    buses[1];
    for (const auto& device : state.usbDevices) buses[device.locationId >> 24].push_back(&device);
    ctx.out += "USB:\n\n";
    for (const auto& bus : buses) {
        ctx.out += "    USB 3.1 Bus:\n\n";
        ctx.out += "      Host Controller Driver: AppleT8112USBXHCI\n\n";
        for (const UsbDevice* device : bus.second) writeDevice(ctx.out, state, *device);
    }
    return 0;
}

}  // namespace velmora::sim
