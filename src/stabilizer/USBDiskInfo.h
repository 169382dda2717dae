#pragma once
// The stabilizer's own small record of one external USB whole disk.
#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

struct USBDiskInfo {
    std::string id;    // e.g. disk4
    std::string name;  // media name, or the id when the disk has none
    std::string path;  // "/dev/" + id
    std::optional<std::string> mountPoint;
    std::int64_t size = 0;

    bool operator==(const USBDiskInfo&) const = default;
};

}  // namespace velmora
