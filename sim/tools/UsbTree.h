#pragma once
// The machine's USB devices as the IOUSB plane of the I/O Registry: a root,
// one XHCI controller per bus, and the devices under them, each with the
// properties modern ioreg prints for an IOUSBHostDevice.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sim/state/MachineState.h"

namespace velmora::sim {

struct RegistryNode {
    std::string name;
    std::string location;  // text after "@", empty for the root
    std::string className;
    std::uint64_t id = 0;
    int busyMs = 0;
    int retain = 0;
    std::vector<std::pair<std::string, std::string>> properties;  // already in ioreg's value syntax
    std::vector<RegistryNode> children;
};

class UsbTree {
public:
    static RegistryNode build(const MachineState& state);
    static std::string controllerClass() { return "AppleT8112USBXHCI"; }
    // "USB Product Name" shows "/" as "_"; the raw name stays in kUSBProductString.
    static std::string productNameProperty(const std::string& rawName);
    static std::string quoted(const std::string& value) { return "\"" + value + "\""; }
};

}  // namespace velmora::sim
