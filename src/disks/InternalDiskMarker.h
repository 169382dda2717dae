#pragma once
// The procedure that makes the system treat an external disk more like an
// internal one: ownership, Spotlight indexing, mount options, disk cache and
// file-system features, each step reporting its own outcome and never
// stopping the sequence. Started on the main thread; the steps that run tools
// run on the marker's own serial queue (the main thread never waits for a
// tool), and the two privileged steps wait for the consent holder's
// asynchronous operations, holding the marker meanwhile, so a started
// procedure always reaches its closing lines. A batch starts its next disk
// only while the owner still holds the marker.
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "disks/DiskInfo.h"
#include "disks/DiskMonitor.h"
#include "disks/PrivilegedOperations.h"
#include "platform/Platform.h"

namespace velmora {

class InternalDiskMarker : public std::enable_shared_from_this<InternalDiskMarker> {
public:
    using Completion = std::function<void()>;

    static std::shared_ptr<InternalDiskMarker> create(Platform platform,
                                                      std::shared_ptr<PrivilegedOperations> authorization,
                                                      std::shared_ptr<DiskMonitor> monitor);

    // Main thread. `completion` runs on the main thread after the closing
    // lines (or right after the message for a disk that is not external).
    void maskDiskAsInternal(const DiskInfo& disk, Completion completion = {});
    // Every external disk of the monitor's list, one after the other.
    void maskExternalDisksAsInternal(Completion completion = {});

private:
    InternalDiskMarker(Platform platform, std::shared_ptr<PrivilegedOperations> authorization,
                       std::shared_ptr<DiskMonitor> monitor);
    void maskEach(std::vector<DiskInfo> disks, std::size_t index, Completion completion);
    void enableDiskOwnership(const DiskInfo& disk);
    void enableSpotlightIndexing(const DiskInfo& disk);
    void optimizeMountParameters(const DiskInfo& disk, Completion next);
    void optimizeDiskCache(const DiskInfo& disk, Completion next);
    void enableFileSystemFeatures(const DiskInfo& disk);
    void finish(const DiskInfo& disk);
    RunResult runTool(const char* program, std::vector<std::string> arguments) const;

    Platform platform_;
    std::shared_ptr<PrivilegedOperations> authorization_;
    std::shared_ptr<DiskMonitor> monitor_;
    std::shared_ptr<SerialQueue> queue_;
};

}  // namespace velmora
