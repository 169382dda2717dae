#pragma once
// Whether a device name that a tool printed (df's first column, for example
// "/dev/disk6s2") lies on a whole disk ("disk6"): without its "/dev/" prefix
// it is the disk itself or one of its slices, nested to any depth (disk6s2,
// disk6s2s1). "disk60" and "disk6x" are other devices.
#include <string_view>

namespace velmora {

bool deviceIsOnDisk(std::string_view device, std::string_view diskIdentifier);

}  // namespace velmora
