#include "disks/DeviceNames.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(DeviceNames, ADeviceIsOnItsDiskOrASlice) {
    struct Case {
        const char* device;
        bool onDisk6;
    };
    const Case cases[] = {
        {"disk6", true},       {"/dev/disk6", true},   {"/dev/disk6s2", true}, {"disk6s2s1", true},
        {"/dev/disk60", false}, {"/dev/disk6x", false}, {"/dev/disk6s", false}, {"/dev/disk6s2t", false},
        {"/dev/rdisk6s2", false}, {"map auto_home", false}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(deviceIsOnDisk(c.device, "disk6"), c.onDisk6) << c.device;
    EXPECT_FALSE(deviceIsOnDisk("/dev/disk6", ""));
}

}  // namespace
}  // namespace velmora
