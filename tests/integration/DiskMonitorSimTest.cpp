// The disk monitor against the simulated Mac: real stand-in tools, real
// processes and the real-time scheduler. Scans are asked for through the
// manual refresh, whose completion says when the scan is over.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "disks/DiskMonitor.h"
#include "foundation/dispatch/RealScheduler.h"
#include "sim/services/SimPlatform.h"
#include "stabilizer/USBDiskLister.h"
#include "sim/state/MachineEditor.h"
#include "tests/sim/SimTestSupport.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

class DiskMonitorSim : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sim::testing::haveRealTools()) GTEST_SKIP() << "the stand-in tools are not built";
        sim::SimulatedPlatformOptions options;
        options.launcher.defaultDeadlineSeconds = 3.0;
        options.launcher.terminateGraceSeconds = 0.5;
        options.random = std::make_shared<RandomSource>(7);
        platform_ = sim::makeSimulatedPlatform(mac_.dir(), scheduler_, diagnostics_, options);
        monitor_ = newMonitor();
    }
    void TearDown() override {
        monitor_.reset();
        scheduler_->shutdown();
    }

    std::shared_ptr<DiskMonitor> newMonitor() {
        auto monitor = DiskMonitor::create(platform_);
        monitor->onDiskConnected = [this](const DiskInfo& d) { events_.push_back("+" + d.id); };
        monitor->onDiskDisconnected = [this](const DiskInfo& d) { events_.push_back("-" + d.id); };
        monitor->onRefreshCompleted = [this] { ++refreshes_; };
        lastScan_.reset();
        return monitor;
    }

    // One scan, after the throttle window of the previous one has passed.
    void scan() {
        if (lastScan_) {
            const auto due = *lastScan_ + 3100ms;
            scheduler_->runUntil([&] { return std::chrono::steady_clock::now() >= due; }, 5s);
        }
        const int before = refreshes_;
        monitor_->refreshDisksWithCompletion();
        ASSERT_TRUE(scheduler_->runUntil([&] { return refreshes_ > before; }, 60s));
        // The scan started before its completion arrived, so counting the
        // throttle window from here can never land the next scan inside it.
        lastScan_ = std::chrono::steady_clock::now();
    }
    // Lets main-thread work that was queued meanwhile run.
    void settle(std::chrono::milliseconds time = 200ms) {
        scheduler_->runUntil([] { return false; }, time);
    }

    std::optional<DiskInfo> listed(const std::string& id) const {
        for (const auto& d : monitor_->connectedDisks.get())
            if (d.id == id) return d;
        return std::nullopt;
    }
    std::size_t count(const std::string& event) const { return static_cast<std::size_t>(std::count(events_.begin(), events_.end(), event)); }
    std::string plug(const std::string& media, const std::string& volume) {
        sim::PlugOptions options;
        options.mediaName = media;
        options.volumeName = volume;
        return sim::MachineEditor(mac_.machine()).plug(options);
    }

    // Plugs a disk back under its old identifier, as macOS hands out the
    // lowest free number again.
    std::string replug(const std::string& id, const std::string& media, const std::string& volume) {
        const int number = std::stoi(id.substr(4));
        mac_.machine().update([&](sim::MachineState& state) { state.nextDiskNumber = number; });
        return plug(media, volume);
    }

    sim::testing::ScratchMachine mac_;
    std::shared_ptr<RealScheduler> scheduler_ = RealScheduler::create();
    std::shared_ptr<CapturingDiagnostics> diagnostics_ = std::make_shared<CapturingDiagnostics>();
    Platform platform_;
    std::shared_ptr<DiskMonitor> monitor_;
    std::vector<std::string> events_;  // main thread only
    int refreshes_ = 0;
    std::optional<std::chrono::steady_clock::time_point> lastScan_;
};

TEST_F(DiskMonitorSim, PluggedDiskIsListedOnceAndUnpluggedDiskIsCounted) {
    scan();
    const std::size_t internalDisks = monitor_->connectedDisks.get().size();
    const std::string id = plug("Samsung T7", "T7");
    scan();
    scan();
    ASSERT_TRUE(listed(id));
    EXPECT_TRUE(listed(id)->isExternal);
    EXPECT_EQ(monitor_->connectedDisks.get().size(), internalDisks + 1);
    EXPECT_EQ(count("+" + id), 1u);
    // The machine's diskutil pads its columns the way the real one does, so
    // the single-space "Mounted: Yes" pattern does not match it.
    EXPECT_EQ(monitor_->diskStatus.get().at(id), "Unknown");

    sim::MachineEditor(mac_.machine()).unplug(id);
    scan();
    settle();
    EXPECT_FALSE(listed(id));
    EXPECT_EQ(count("-" + id), 1u);
    EXPECT_EQ(monitor_->recovery().disconnectionCount(id), 1);
}

TEST_F(DiskMonitorSim, MarkedDiskSurvivesUnplugReplugAndARestart) {
    const std::string first = plug("Samsung T7", "T7");
    const std::string second = plug("SanDisk Extreme", "Extreme");
    scan();
    monitor_->markDiskAsInternal(first);
    settle();
    sim::MachineEditor(mac_.machine()).unplug(first);
    scan();
    monitor_->markDiskAsInternal(second);
    settle();

    ASSERT_EQ(replug(first, "Samsung T7", "T7"), first);
    scan();
    settle();
    ASSERT_TRUE(listed(first));
    EXPECT_TRUE(listed(first)->isMarkedAsInternal);

    monitor_ = newMonitor();  // a restart: the mark comes from the stored list
    scan();
    settle();
    ASSERT_TRUE(listed(first) && listed(second));
    EXPECT_TRUE(listed(first)->isMarkedAsInternal);
    EXPECT_TRUE(listed(second)->isMarkedAsInternal);
}

TEST_F(DiskMonitorSim, HostileVolumeNameRunsNoInjectedCommand) {
    const std::string canary = mac_.scratch() + "/pwned";
    // Only shell built-ins: the machine's PATH has no touch.
    const std::string name = "Evil's $(: > " + canary + ")`: > " + canary + "`";
    // A whole disk carries its media name (its volume is a partition), so
    // that is the name the scripts see.
    const std::string id = plug(name, "Evil");
    sim::MachineEditor(mac_.machine()).startApplication("Photoshop", "com.adobe.Photoshop", 5.0, std::nullopt);
    monitor_->startMonitoring();
    scan();
    ASSERT_TRUE(listed(id));
    ASSERT_EQ(listed(id)->name, name);
    monitor_->performPeriodicStabilization();  // the enhanced pass greps the USB tree for the name
    sim::MachineEditor(mac_.machine()).unplug(id);
    scan();  // the disconnection's log lookup greps the name
    monitor_->stopMonitoring();

    EXPECT_EQ(::access(canary.c_str(), F_OK), -1) << "an injected command ran";
    std::set<std::string> tools;
    for (const auto& entry : mac_.machine().journal()) {
        ASSERT_FALSE(entry.argv.empty());
        tools.insert(entry.argv[0]);
        for (const auto& argument : entry.argv) EXPECT_EQ(argument.find(canary), std::string::npos);
    }
    // The scripts that carry the name did run.
    EXPECT_TRUE(tools.count("ioreg"));
    EXPECT_TRUE(tools.count("log"));
}

TEST_F(DiskMonitorSim, HungDiskutilCostsOneDeadlineAndTheNextScanWorks) {
    const std::string id = plug("Samsung T7", "T7");
    scan();
    ASSERT_TRUE(listed(id));
    sim::MachineEditor(mac_.machine()).setToolFault("diskutil", sim::ToolFault::hang);
    scan();
    settle();
    EXPECT_TRUE(diagnostics_->containsSubstring("Disk listesi alınamadı: "));
    EXPECT_FALSE(listed(id));  // a failed listing drops every disk
    sim::MachineEditor(mac_.machine()).setToolFault("diskutil", sim::ToolFault::none);
    scan();
    settle();
    EXPECT_TRUE(listed(id));
    EXPECT_EQ(count("+" + id), 2u);
}

// Listed, then gone before its description: neither the monitor nor the
// stabilizer's lister may make a disk of diskutil's error answer.
TEST_F(DiskMonitorSim, DiskVanishingMidScanIsNoPhantom) {
    scan();
    const std::size_t before = monitor_->connectedDisks.get().size();
    const std::string id = plug("Samsung T7", "T7");
    sim::MachineEditor(mac_.machine()).setVanishesOnInfo(id, true);
    scan();
    settle();
    EXPECT_EQ(monitor_->connectedDisks.get().size(), before);
    EXPECT_EQ(count("+" + id), 0u);
    EXPECT_TRUE(diagnostics_->contains("Disk bilgisi alınamadı: Could not find disk: " + id));

    USBDiskLister lister(platform_.processes, platform_.diagnostics);
    for (const auto& disk : lister.getCurrentUSBDisks()) EXPECT_NE(disk.id, id);
    EXPECT_TRUE(diagnostics_->contains("❌ USB disk bilgisi alınamadı: Could not find disk: " + id));
}

TEST_F(DiskMonitorSim, EnumerationFailuresInTheLogStartTheRecoveryChain) {
    const std::string id = plug("Samsung T7", "T7");
    scan();
    ASSERT_TRUE(listed(id));
    const std::string name = listed(id)->name;
    sim::MachineEditor editor(mac_.machine());
    editor.addEnumerationFailures(2, name);
    editor.unplug(id);
    scan();
    EXPECT_TRUE(diagnostics_->contains("🚨 ENUMERATION FAILURE tespit edildi: " + name));
    EXPECT_TRUE(diagnostics_->contains("✅ USB Controller refresh tamamlandı"));
    ASSERT_EQ(replug(id, "Samsung T7", "T7"), id);
    ASSERT_TRUE(scheduler_->runUntil(
        [&] { return diagnostics_->containsSubstring("Enumeration recovery BA"); }, 20s));
    settle();
    EXPECT_TRUE(diagnostics_->contains("✅ Enumeration recovery BAŞARILI: " + name));
    EXPECT_TRUE(monitor_->usbConnectionStable.get());
    EXPECT_EQ(monitor_->recovery().disconnectionCount(id), 0);
}

// log show's header says "Filtering the log data using …": a disk of that
// name must not find itself there.
TEST_F(DiskMonitorSim, AQuietLogCountsNoFailureForADiskNamedLikeTheHeader) {
    const std::string id = plug("data", "data");
    scan();
    ASSERT_TRUE(listed(id));
    sim::MachineEditor(mac_.machine()).unplug(id);
    scan();
    settle();
    EXPECT_EQ(count("-" + id), 1u);
    EXPECT_FALSE(diagnostics_->containsSubstring("📊 Enumeration failure sayısı"));
    EXPECT_EQ(monitor_->recovery().disconnectionCount(id), 1);
}

}  // namespace
}  // namespace velmora
