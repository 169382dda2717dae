#include "sim/tools/UsbTree.h"

#include <map>

#include "sim/tools/TextFormat.h"

namespace velmora::sim {

namespace {

std::string lowerHex8(std::uint32_t value) { return text::lower(text::hex(value, 8)); }

int usbSpeedCode(int deviceSpeed) {
    switch (deviceSpeed) {
        case 0: return 0;
        case 1: return 1;
        case 2: return 3;
        case 3: return 4;
        default: return 5;
    }
}

RegistryNode deviceNode(const UsbDevice& device) {
    RegistryNode node;
    node.name = device.productName;
    node.location = lowerHex8(device.locationId);
    node.className = "IOUSBHostDevice";
    node.id = 0x100000000ULL + (text::stableHash(device.key) & 0xFFFFFFF);
    node.busyMs = static_cast<int>(text::stableHash(device.key + "busy") % 400) + 10;
    node.retain = 30;
    auto q = UsbTree::quoted;
    auto& p = node.properties;
    std::string serial = device.serialNumber;
    p.emplace_back("sessionID", std::to_string(4000000000000ULL + (text::stableHash(device.key) % 90000000000ULL)));
    p.emplace_back("USBSpeed", std::to_string(usbSpeedCode(device.speed)));
    p.emplace_back("idProduct", std::to_string(device.productId));
    p.emplace_back("iManufacturer", "1");
    p.emplace_back("bDeviceClass", "0");
    p.emplace_back("IOPowerManagement", "{\"PowerOverrideOn\"=Yes,\"DevicePowerState\"=2,\"CurrentPowerState\"=" +
                                            std::to_string(device.currentPowerState) +
                                            ",\"CapabilityFlags\"=32768,\"MaxPowerState\"=2,\"DriverPowerState\"=0}");
    p.emplace_back("bcdDevice", "8193");
    p.emplace_back("bMaxPacketSize0", device.speed >= 3 ? "9" : "64");
    p.emplace_back("iProduct", "2");
    p.emplace_back("iSerialNumber", serial.empty() ? "0" : "3");
    p.emplace_back("bNumConfigurations", "1");
    p.emplace_back("USB Product Name", q(UsbTree::productNameProperty(device.productName)));
    p.emplace_back("USB Address", std::to_string(device.address));
    p.emplace_back("locationID", std::to_string(device.locationId));
    p.emplace_back("bDeviceSubClass", "0");
    p.emplace_back("bcdUSB", device.speed >= 3 ? "784" : "512");
    if (!serial.empty()) p.emplace_back("kUSBSerialNumberString", q(serial));
    p.emplace_back("kUSBCurrentConfiguration", "1");
    p.emplace_back("IOCFPlugInTypes",
                   "{\"9dc7b780-9ec0-11d4-a54f-000a27052861\"=\"IOUSBHostFamily.kext/Contents/PlugIns/IOUSBLib.bundle\"}");
    p.emplace_back("bDeviceProtocol", "0");
    p.emplace_back("USBPortType", "0");
    p.emplace_back("IOServiceDEXTEntitlements", "((\"com.apple.developer.driverkit.transport.usb\"))");
    p.emplace_back("USB Vendor Name", q(device.vendorName));
    p.emplace_back("Device Speed", std::to_string(device.speed));
    p.emplace_back("idVendor", std::to_string(device.vendorId));
    p.emplace_back("kUSBProductString", q(device.productName));
    if (!serial.empty()) p.emplace_back("USB Serial Number", q(serial));
    p.emplace_back("IOGeneralInterest", "\"IOCommand is not serializable\"");
    p.emplace_back("kUSBAddress", std::to_string(device.address));
    p.emplace_back("kUSBVendorString", q(device.vendorName));
    for (const auto& extra : device.extraProperties) {
        // A line already in property form is kept; plain text becomes the
        // value of a firmware-event property so it stays on one line.
        std::size_t equals = extra.find(" = ");
        if (!extra.empty() && extra.front() == '"' && equals != std::string::npos) {
            p.emplace_back(extra.substr(1, extra.find('"', 1) - 1), extra.substr(equals + 3));
        } else {
            p.emplace_back("FirmwareEvent", q(extra));
        }
    }
    return node;
}

RegistryNode controllerNode(std::uint32_t bus) {
    RegistryNode node;
    node.name = UsbTree::controllerClass();
    node.location = lowerHex8(bus << 24);
    node.className = UsbTree::controllerClass();
    node.id = 0x100000331ULL + bus * 8;
    node.retain = 43;
    node.properties = {
        {"IOProviderClass", "\"AppleT8112USBXHCIPort\""},
        {"kUSBSleepPortCurrentLimit", "3000"},
        {"locationID", std::to_string(bus << 24)},
        {"kUSBWakePortCurrentLimit", "3000"},
    };
    return node;
}

}  // namespace

std::string UsbTree::productNameProperty(const std::string& rawName) {
    std::string name = rawName;
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return name;
}

RegistryNode UsbTree::build(const MachineState& state) {
    RegistryNode root;
    root.name = "Root";
    root.className = "IORegistryEntry";
    root.id = 0x100000100ULL;
    root.retain = 30;
    root.properties = {
        {"IOKitBuildVersion",
         "\"Darwin Kernel Version 24.1.0: Thu Oct 10 21:05:14 PDT 2024; root:xnu-11215.41.3~2/RELEASE_ARM64_T8112\""},
        {"OS Build Version", "\"24B83\""},
    };
    std::map<std::uint32_t, RegistryNode> controllers;
    controllers.emplace(0, controllerNode(0));
    controllers.emplace(1, controllerNode(1));
    for (const auto& device : state.usbDevices) {
        std::uint32_t bus = device.locationId >> 24;
        auto found = controllers.find(bus);
        if (found == controllers.end()) found = controllers.emplace(bus, controllerNode(bus)).first;
        found->second.children.push_back(deviceNode(device));
    }
    for (auto& entry : controllers) root.children.push_back(std::move(entry.second));
    return root;
}

}  // namespace velmora::sim
