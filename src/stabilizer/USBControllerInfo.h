#pragma once
// One USB device as read from the device tree, with the table row that
// describes its bridge chip when it is a known problem controller.
#include <optional>
#include <string>

#include "foundation/Date.h"
#include "stabilizer/USBControllerSolution.h"

namespace velmora {

struct USBControllerInfo {
    std::string deviceName;
    std::string controllerType;
    std::string vendorID;
    std::string productID;
    long long powerState = 0;
    bool hasKnownIssues = false;
    std::optional<USBControllerSolution> solution;
    // The device tree does not tie a device to a disk node.
    std::string diskPath = "/dev/disk?";
    Date lastActivity{};

    bool operator==(const USBControllerInfo&) const = default;
};

}  // namespace velmora
