#pragma once
// Power assertions through IOKit. What the system holds is the system's: this
// object keeps no list, and an assertion still held when the process ends is
// dropped by the system, as the simulated machine does for its stand-in.
#include "platform/PowerAssertions.h"

namespace velmora::mac {

class MacPowerAssertions final : public PowerAssertions {
public:
    int create(const std::string& type, int level, const std::string& name, std::uint32_t& id) override;
    int release(std::uint32_t id) override;
};

}  // namespace velmora::mac
