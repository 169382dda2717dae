#include "disks/DeviceNames.h"

namespace velmora {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool deviceIsOnDisk(std::string_view device, std::string_view diskIdentifier) {
    constexpr std::string_view devPrefix = "/dev/";
    if (device.substr(0, devPrefix.size()) == devPrefix) device.remove_prefix(devPrefix.size());
    if (diskIdentifier.empty() || device.substr(0, diskIdentifier.size()) != diskIdentifier) return false;
    std::string_view rest = device.substr(diskIdentifier.size());
    // Each slice suffix is "s" followed by at least one digit.
    while (!rest.empty()) {
        if (rest.front() != 's' || rest.size() < 2 || !isDigit(rest[1])) return false;
        rest.remove_prefix(1);
        while (!rest.empty() && isDigit(rest.front())) rest.remove_prefix(1);
    }
    return true;
}

}  // namespace velmora
