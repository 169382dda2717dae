#pragma once
// Discovery of whole disks through diskutil: the listing, one disk's record,
// and one disk's mount status. Synchronous and stateless; the monitor calls
// it from its own queue, never from the main thread.
#include <optional>
#include <string>
#include <vector>

#include "disks/DiskInfo.h"
#include "foundation/plist/PlistValue.h"
#include "platform/Platform.h"

namespace velmora {

class DiskDiscovery {
public:
    explicit DiskDiscovery(Platform platform);

    std::vector<DiskInfo> getCurrentDisks() const;
    std::optional<DiskInfo> getDiskInfo(const std::string& identifier) const;
    std::string getDiskStatus(const DiskInfo& disk) const;

    // The record for one `diskutil info -plist` answer; absent for disk
    // images and for disks whose best name is their device node.
    static std::optional<DiskInfo> diskFromInfo(const std::string& identifier, const PlistValue& info, Date seenAt);
    // The display name by the first rule that applies (mount point's last
    // component, volume name, media name, device node, placeholder).
    static std::string displayName(const std::string& identifier, const PlistValue& info);
    // The last component of a file path as a file URL reports it ("/" for "/").
    static std::string lastPathComponent(const std::string& path);

private:
    Platform platform_;
};

}  // namespace velmora
