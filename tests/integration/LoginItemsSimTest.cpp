// Both start-at-login implementations against the simulated Mac's
// "System Events", with bundle paths built to break out of a string literal.
#include <gtest/gtest.h>

#include "app/AutoStart.h"
#include "app/StartupManager.h"
#include "foundation/dispatch/VirtualScheduler.h"
#include "sim/services/SimPlatform.h"
#include "tests/sim/SimTestSupport.h"

namespace velmora {
namespace {

TEST(LoginItemsSim, HostileBundlePathsStayOnePath) {
    const std::string paths[] = {
        R"(/Users/me/Tools"; do shell script "touch /tmp/velmora-pwned"; "/Velmora.app)",
        R"(/Users/me/back\slash\"/Velmora.app)",
        R"(/Users/me/Velmora\)",
        "/Users/me/two\nlines/Velmora.app",
    };
    for (const auto& path : paths) {
        sim::testing::ScratchMachine mac("empty");
        auto scheduler = std::make_shared<VirtualScheduler>();
        auto diagnostics = std::make_shared<CapturingDiagnostics>();
        sim::SimulatedPlatformOptions options;
        options.bundlePath = path;
        const Platform platform = sim::makeSimulatedPlatform(mac.dir(), scheduler, diagnostics, options);

        auto autoStart = AutoStart::create(platform);
        autoStart->enableAutoStart();
        EXPECT_TRUE(diagnostics->contains("✅ Otomatik başlatma etkinleştirildi")) << path;
        auto items = mac.machine().read().loginItems;
        ASSERT_EQ(items.size(), 1u) << path;
        EXPECT_EQ(items[0].path, path);
        EXPECT_TRUE(items[0].hidden);
        EXPECT_EQ(autoStart->isAutoStartEnabled(), path.find("Velmora") != std::string::npos);

        auto startup = StartupManager::create(platform);
        scheduler->runUntilIdle();
        EXPECT_TRUE(startup->addToLoginItems());
        EXPECT_EQ(mac.machine().read().loginItems.size(), 1u);  // the same path is not added twice
        EXPECT_TRUE(startup->removeFromLoginItems());
        EXPECT_TRUE(mac.machine().read().loginItems.empty()) << path;
        EXPECT_FALSE(diagnostics->containsSubstring("❌")) << path;
    }
}

TEST(LoginItemsSim, TheDefaultBundleIsInsideTheMachinesApplications) {
    sim::testing::ScratchMachine mac("empty");
    const Platform platform = sim::makeSimulatedPlatform(mac.dir(), std::make_shared<VirtualScheduler>(),
                                                         std::make_shared<CapturingDiagnostics>());
    EXPECT_EQ(platform.bundle.path, mac.dir() + "/Applications/Velmora.app");
    EXPECT_EQ(platform.bundle.identifier, "com.orrindel.velmora");
    EXPECT_EQ(platform.bundle.name(), "Velmora.app");
}

}  // namespace
}  // namespace velmora
