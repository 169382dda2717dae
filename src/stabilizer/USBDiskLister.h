#pragma once
// Lists the external, non-image whole disks through diskutil's property-list
// output. Synchronous; used from the stabilizer's queue and from the delayed
// recovery check on a global queue, so it keeps no state of its own.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/process/ProcessLauncher.h"
#include "stabilizer/USBDiskInfo.h"

namespace velmora {

class USBDiskLister {
public:
    USBDiskLister(std::shared_ptr<ProcessLauncher> processes, std::shared_ptr<Diagnostics> diagnostics);

    std::vector<USBDiskInfo> getCurrentUSBDisks() const;
    std::optional<USBDiskInfo> getUSBDiskInfo(const std::string& id) const;

private:
    std::shared_ptr<ProcessLauncher> processes_;
    std::shared_ptr<Diagnostics> diagnostics_;
};

}  // namespace velmora
