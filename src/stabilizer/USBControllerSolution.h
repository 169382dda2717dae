#pragma once
// One row of the known-problem-controller table.
#include <string>

#include "stabilizer/USBControllerSpecialHandling.h"

namespace velmora {

struct USBControllerSolution {
    std::string name;
    // Kept for the window and future tuning; no operation reads these two.
    bool powerManagementIssues = false;
    double keepAliveInterval = 0.0;
    USBControllerSpecialHandling specialHandling = USBControllerSpecialHandling::generic;

    bool operator==(const USBControllerSolution&) const = default;
};

}  // namespace velmora
