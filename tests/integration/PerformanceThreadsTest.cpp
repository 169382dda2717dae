// The system monitor and the optimizer on real threads against the simulated
// Mac: the monitor's global queue, the optimizer's serial queue and the main
// loop, so the thread sanitizer sees every hand-off between them.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "foundation/dispatch/RealScheduler.h"
#include "performance/PerformanceOptimizer.h"
#include "sim/services/SimPlatform.h"
#include "sim/state/MachineEditor.h"
#include "system/SharedSystemMonitor.h"
#include "tests/sim/SimTestSupport.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

TEST(PerformanceThreads, MonitorAndOptimizerWorkOnRealThreads) {
    if (!sim::testing::haveRealTools()) GTEST_SKIP() << "the stand-in tools are not built";
    sim::testing::ScratchMachine mac;
    auto diagnostics = std::make_shared<CapturingDiagnostics>();
    auto real = RealScheduler::create();
    sim::SimulatedPlatformOptions options;
    options.launcher.defaultDeadlineSeconds = 30.0;
    const Platform platform = sim::makeSimulatedPlatform(mac.dir(), real, diagnostics, options);
    sim::MachineEditor(mac.machine()).startApplication("Xcode", "com.apple.dt.Xcode", 60, std::nullopt);

    auto monitor = SharedSystemMonitor::create(platform);
    auto optimizer = PerformanceOptimizer::create(platform);
    optimizer->startOptimization();
    optimizer->optimizeDisk(DiskInfo("disk4", "Velmora SSD", "/dev/disk4", 1'000'000'000'000, true, false,
                                     mac.dir() + "/Volumes/Velmora SSD", std::string("ExFAT"), false, Date{}));
    optimizer->enableAggressivePowerManagement();
    EXPECT_TRUE(real->runUntil(
        [&] {
            return monitor->runningLargeApps.get() == std::vector<std::string>{"Xcode"} &&
                   optimizer->diskPerformance.get().count("disk4") &&
                   diagnostics->contains("⚠️ USB port güç koruması authorization gerekli") &&
                   diagnostics->contains("Disk optimizasyonu tamamlandı: Velmora SSD");
        },
        30s));
    optimizer->stopOptimization();
    EXPECT_TRUE(real->runUntil([&] { return !optimizer->powerManagementActive.get(); }, 10s));
    EXPECT_TRUE(mac.machine().read().assertions.empty());
    real->shutdown();
}

}  // namespace
}  // namespace velmora
