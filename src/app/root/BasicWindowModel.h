#pragma once
// The main window's own managers, without the window's view state: the
// stabilizer starts when the model is made; the disk monitor and the
// optimizer start when the window first appears.
#include <memory>

#include "app/WindowHost.h"
#include "disks/DiskMonitor.h"
#include "performance/PerformanceOptimizer.h"
#include "platform/Platform.h"
#include "stabilizer/AutomaticUSBStabilizer.h"
#include "system/SharedSystemMonitor.h"

namespace velmora {

class BasicWindowModel final : public RootView {
public:
    BasicWindowModel(Platform platform, std::shared_ptr<SharedSystemMonitor> systemMonitor);
    void onAppear() override;
    void endWithProcess() override;

private:
    std::shared_ptr<SharedSystemMonitor> systemMonitor_;
    std::shared_ptr<DiskMonitor> diskMonitor_;
    std::shared_ptr<PerformanceOptimizer> optimizer_;
    std::shared_ptr<AutomaticUSBStabilizer> stabilizer_;
};

}  // namespace velmora
