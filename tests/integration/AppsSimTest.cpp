// The application tracker and the Launch Services repair against the
// simulated Mac: real stand-in tools as processes, with virtual time for the
// flows' waits and the scan timer; the scan-cost test runs on real queues.
#include <gtest/gtest.h>

#include <algorithm>

#include "disks/DiskDiscovery.h"
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "apps/AppLauncher.h"
#include "apps/LaunchServicesManager.h"
#include "foundation/dispatch/RealScheduler.h"
#include "foundation/dispatch/VirtualScheduler.h"
#include "sim/services/SimPlatform.h"
#include "sim/state/MachineEditor.h"
#include "sim/state/VolumeContents.h"
#include "tests/sim/SimTestSupport.h"

namespace velmora {
namespace {

class AppsSim : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sim::testing::haveRealTools()) GTEST_SKIP() << "the stand-in tools are not built";
        sim::SimulatedPlatformOptions options;
        options.launcher.defaultDeadlineSeconds = 10.0;
        options.launcher.terminateGraceSeconds = 0.5;
        platform_ = sim::makeSimulatedPlatform(mac_.dir(), scheduler_, diagnostics_, options);
    }

    // The whole disk and the mount point of a newly plugged USB disk.
    std::pair<std::string, std::string> plug(const std::string& name) {
        sim::PlugOptions options;
        options.mediaName = name;
        const std::string id = sim::MachineEditor(mac_.machine()).plug(options);
        for (const auto& d : mac_.machine().read().disks)
            for (const auto& v : d.volumes)
                if (d.identifier == id && v.mountPoint) return {v.identifier, *v.mountPoint};
        ADD_FAILURE() << "no mounted volume on " << id;
        return {};
    }
    // The velmora-sim command; "DIR" stands for the machine folder.
    std::string simCommand(std::vector<std::string> arguments) {
        for (auto& a : arguments)
            if (a == "DIR") a = mac_.dir();
        auto r = sim::testing::runHost(velmora::testing::simCommandProgram(), arguments);
        EXPECT_EQ(r.status, 0) << r.error;
        return r.output.substr(0, r.output.find_last_not_of('\n') + 1);
    }
    std::vector<std::string> journalOf(const std::string& tool) {
        std::vector<std::string> runs;
        for (const auto& e : mac_.machine().journal()) {
            if (e.argv.at(0) != tool) continue;
            std::string line;
            for (std::size_t i = 1; i < e.argv.size(); ++i) line += (i > 1 ? " " : "") + e.argv[i];
            runs.push_back(line);
        }
        return runs;
    }
    static DiskInfo diskAt(const std::string& name, std::optional<std::string> mountPoint) {
        return DiskInfo("disk6", name, "/dev/disk6", 1000, true, false, std::move(mountPoint), "ExFAT", false, Date{});
    }
    // Runs the flow's steps (real tool processes, virtual waits) until it ends.
    void runFlow(const std::optional<bool>& result) {
        for (int i = 0; i < 100 && !result; ++i) scheduler_->advance(1);
        scheduler_->advance(5);
    }

    sim::testing::ScratchMachine mac_;
    std::shared_ptr<VirtualScheduler> scheduler_ = std::make_shared<VirtualScheduler>();
    std::shared_ptr<CapturingDiagnostics> diagnostics_ = std::make_shared<CapturingDiagnostics>();
    Platform platform_;
};

TEST_F(AppsSim, PerDiskRebuildRegistersTheVolumesBundlesAndRestartsFinderAndDock) {
    const auto [volume, mountPoint] = plug("Work Disk");
    EXPECT_EQ(simCommand({"bundle", "DIR", volume, "Tool.app", "--under", "Applications"}), mountPoint + "/Applications/Tool.app");
    simCommand({"bundle", "DIR", volume, "Other.app"});
    simCommand({"bundle", "DIR", volume, "Inner.app", "--under", "Other.app/Contents/Helpers"});
    EXPECT_EQ(simCommand({"link-loop", "DIR", volume, "--under", "Nested"}), mountPoint + "/Nested/Loop");

    // The disk as the monitor lists it: a partitioned whole disk, whose own
    // mount point is empty, with the volume among its partitions'.
    std::optional<DiskInfo> plugged;
    for (const auto& disk : DiskDiscovery(platform_).getCurrentDisks()) {
        const auto& volumes = disk.volumeMountPoints;
        if (std::find(volumes.begin(), volumes.end(), mountPoint) != volumes.end()) plugged = disk;
    }
    ASSERT_TRUE(plugged);
    EXPECT_EQ(plugged->mountPoint.value_or("absent"), "");

    auto manager = LaunchServicesManager::create(platform_);
    std::optional<bool> result;
    manager->rebuildForDisk(*plugged, [&](bool ok) { result = ok; });
    runFlow(result);
    ASSERT_EQ(result, true);

    std::map<std::string, int> registered;
    int rebuilds = 0;
    for (const auto& e : mac_.machine().read().launchServices) {
        if (e.kind == "register") ++registered[e.detail.substr(mountPoint.size())];
        if (e.kind == "rebuild") ++rebuilds;
    }
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(registered, (std::map<std::string, int>{{"/Applications/Tool.app", 2}, {"/Other.app", 1}}));
    const std::string shown = simCommand({"show", "DIR", "launch-services"});
    EXPECT_NE(shown.find("  rebuild  local,system,user"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Other.app"), std::string::npos) << shown;
    EXPECT_EQ(journalOf("killall"), (std::vector<std::string>{"Finder", "Dock"}));
    EXPECT_TRUE(diagnostics_->contains("📱 " + plugged->name + " diskinde 3 uygulama bulundu"));
    EXPECT_TRUE(diagnostics_->contains("✅ finder_restart_success"));

    const auto stored = manager->lastRebuildDate.get();
    ASSERT_TRUE(stored);
    manager.reset();
    auto restarted = LaunchServicesManager::create(platform_);
    EXPECT_EQ(restarted->lastRebuildDate.get(), stored);
    EXPECT_FALSE(restarted->isRebuildNeeded());
}

TEST_F(AppsSim, MissingLsregisterFailsTheRebuildWithoutTouchingFinder) {
    sim::MachineEditor(mac_.machine()).setToolFault("lsregister", sim::ToolFault::missing);
    auto manager = LaunchServicesManager::create(platform_);
    std::optional<bool> result;
    manager->rebuildLaunchServicesDatabase([&](bool ok) { result = ok; });
    runFlow(result);
    EXPECT_EQ(result, false);
    EXPECT_TRUE(diagnostics_->contains("❌ lsregister_execution_failed"));
    EXPECT_TRUE(diagnostics_->contains("❌ launch_services_rebuild_error"));
    EXPECT_TRUE(journalOf("killall").empty());
    EXPECT_FALSE(manager->lastRebuildDate.get());
}

TEST_F(AppsSim, HostileBundleNamesReachLsregisterAsOneArgumentEach) {
    const auto [volume, mountPoint] = plug("Names");
    const std::vector<std::string> names = {"Two Words.app", "It's \"quoted\".app", "Line\nBreak.app", "$(touch x).app"};
    for (const auto& name : names) sim::VolumeContents(mac_.machine()).addBundle(volume, name);
    auto manager = LaunchServicesManager::create(platform_);
    std::optional<bool> result;
    manager->rebuildForDisk(diskAt("Names", mountPoint), [&](bool ok) { result = ok; });
    runFlow(result);
    ASSERT_EQ(result, true);

    std::vector<std::string> registered;
    for (const auto& e : mac_.machine().read().launchServices)
        if (e.kind == "register") registered.push_back(e.detail.substr(mountPoint.size() + 1));
    std::sort(registered.begin(), registered.end());
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(registered, expected);
    EXPECT_TRUE(diagnostics_->contains("✅ 4 uygulama Launch Services'e kaydedildi"));
}

TEST_F(AppsSim, WorkingDirectoryOnAUsbVolumeIsTheSecondDisk) {
    const auto [volume, mountPoint] = plug("Projects");
    ASSERT_EQ(::mkdir((mountPoint + "/Code").c_str(), 0755), 0);
    EXPECT_NE(simCommand({"app", "start", "DIR", "--name", "Editor", "--bundle-id", "com.example.editor", "--cwd",
                          mountPoint + "/Code", "--launched", "600"}),
              "");
    simCommand({"app", "start", "DIR", "--name", "Helper", "--bundle-id", "com.example.helper", "--policy", "accessory"});

    auto launcher = AppLauncher::create(platform_);
    launcher->startMonitoring();
    scheduler_->runUntilIdle();
    std::optional<AppInfo> editor;
    for (const auto& a : launcher->runningApps.get()) {
        EXPECT_NE(a.bundleIdentifier, "com.example.helper");
        if (a.bundleIdentifier == "com.example.editor") editor = a;
    }
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->diskDependencies, (std::vector<std::string>{"/dev/disk3s1s1", "/dev/" + volume}));
    ASSERT_TRUE(editor->launchDate);
    EXPECT_NEAR(secondsBetween(*editor->launchDate, std::chrono::system_clock::now()), 600, 60);
    EXPECT_EQ(launcher->diskApps.get().at("/dev/" + volume).size(), 1u);

    // Unplugged: df no longer finds the folder, so the disk drops out.
    sim::MachineEditor(mac_.machine()).unplug(volume.substr(0, volume.rfind('s')));
    scheduler_->advance(AppLauncher::scanIntervalSeconds);
    for (const auto& a : launcher->runningApps.get()) {
        if (a.bundleIdentifier == "com.example.editor") {
            EXPECT_EQ(a.diskDependencies, (std::vector<std::string>{"/dev/disk3s1s1"}));
        }
    }
    launcher->stopMonitoring();
}

TEST_F(AppsSim, AnApplicationNumberedLikeTheHostProcessIsStillListed) {
    // The simulated machine numbers its processes itself; the host reuses
    // numbers, so one of them may well be this process's own.
    const int pid = sim::MachineEditor(mac_.machine()).startApplication("Twin", "com.example.twin", 1.0, std::nullopt);
    mac_.machine().update([&](sim::MachineState& state) {
        for (auto& process : state.processes)
            if (process.pid == pid) process.pid = static_cast<int>(::getpid());
    });
    auto launcher = AppLauncher::create(platform_);
    launcher->startMonitoring();
    scheduler_->runUntilIdle();
    const auto apps = launcher->runningApps.get();
    EXPECT_TRUE(std::any_of(apps.begin(), apps.end(), [](const AppInfo& a) { return a.bundleIdentifier == "com.example.twin"; }));
    launcher->stopMonitoring();
}

TEST_F(AppsSim, ScanOfTwentyApplicationsCostsAtMostTwoDfRunsEach) {
    const auto [volume, mountPoint] = plug("Apps");
    sim::MachineEditor editor(mac_.machine());
    const auto before = mac_.machine().read().processes.size();
    for (int i = 0; i < 20 - 4; ++i) {  // the scenario runs four regular applications already
        sim::AppStartOptions options;
        options.name = "App" + std::to_string(i);
        options.bundleIdentifier = "com.example.app" + std::to_string(i);
        if (i % 2 == 0) options.bundlePath = sim::VolumeContents(mac_.machine()).addBundle(volume, options.name + ".app");
        editor.startApplication(options);
    }
    mac_.machine().clearJournal();
    // Real queues this time: the scan runs on "app.launcher" and publishes on
    // the main thread.
    auto real = RealScheduler::create();
    sim::SimulatedPlatformOptions options;
    options.launcher.defaultDeadlineSeconds = 10.0;
    auto launcher = AppLauncher::create(sim::makeSimulatedPlatform(mac_.dir(), real, diagnostics_, options));
    const auto started = std::chrono::steady_clock::now();
    launcher->startMonitoring();
    ASSERT_TRUE(real->runUntil([&] { return !launcher->diskApps.get().empty(); }, std::chrono::seconds(60)));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    launcher->stopMonitoring();
    real->shutdown();

    const auto apps = launcher->runningApps.get();
    const std::size_t dfRuns = journalOf("df").size();
    std::cout << "one scan: " << apps.size() << " applications, " << mac_.machine().journal().size()
              << " child processes (" << dfRuns << " df), " << seconds << " s\n";
    EXPECT_GE(apps.size(), 20u);
    EXPECT_LE(dfRuns, 2 * apps.size());
    EXPECT_EQ(mac_.machine().journal().size(), dfRuns) << "nothing but df runs";
    EXPECT_GT(mac_.machine().read().processes.size(), before);
}

}  // namespace
}  // namespace velmora
