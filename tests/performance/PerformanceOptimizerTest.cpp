#include <gtest/gtest.h>

#include <optional>

#include "performance/PerformanceOptimizer.h"
#include "support/TestPlatform.h"

namespace velmora {
namespace {

using testing::ScriptedProcessLauncher;

// How a scripted tool ends.
enum class End { ok, fails, missing };

RunResult ending(End end, std::string output = "") {
    if (end == End::missing) return ScriptedProcessLauncher::startFailure();
    return ScriptedProcessLauncher::exited(end == End::ok ? 0 : 1, std::move(output));
}

// The live report gives `megabytesPerSecond`; the one since boot a figure
// that would choose other steps.
std::string iostatWithDisk4(const std::string& megabytesPerSecond) {
    return "              disk0               disk4\n"
           "    KB/t  tps  MB/s     KB/t  tps  MB/s\n"
           "   20.39  174  3.47    52.55    1 60.00\n"
           "   20.39  174  3.47    52.55    1  " + megabytesPerSecond + "\n";
}

const std::vector<std::string> kIostatArguments = {"-d", "-c", "2", "-w", "1", "disk4"};

DiskInfo disk4(std::optional<std::string> mountPoint = std::string("/Volumes/Travel SSD")) {
    return DiskInfo("disk4", "Travel SSD", "/dev/disk4", 500'000'000'000, true, false, std::move(mountPoint),
                    std::string("APFS"), false, Date{});
}

class OptimizerTest : public ::testing::Test {
protected:
    std::shared_ptr<PerformanceOptimizer> make() { return optimizer = PerformanceOptimizer::create(tp.platform()); }
    void answer(const std::string& program, RunResult result) {
        tp.processes->on([program](const RunSpec& r) { return r.program == program; },
                         [result](const RunSpec&) { return result; });
    }
    // Every run as "program arg arg …" without the folder of the program.
    std::vector<std::string> runs() const {
        std::vector<std::string> out;
        for (const auto& r : tp.processes->runs()) {
            std::string line = r.program.substr(r.program.rfind('/') + 1);
            for (const auto& a : r.arguments) line += " " + a;
            out.push_back(line);
        }
        return out;
    }
    std::vector<std::string> lines() const { return tp.diagnostics->lines(); }
    void reset() {
        tp.processes->clearRecord();
        tp.diagnostics->clear();
    }

    testing::TestPlatform tp;
    std::shared_ptr<PerformanceOptimizer> optimizer;
};

TEST_F(OptimizerTest, PerDiskStepsFollowTheSample) {
    const std::string mount = "/Volumes/Travel SSD";
    struct Case {
        std::string name;
        RunResult iostat;
        std::optional<std::string> mountPoint;
        std::vector<std::string> runs;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"50 exactly is not slow", ScriptedProcessLauncher::exited(0, iostatWithDisk4("50.00")), mount,
         {"iostat -d -c 2 -w 1 disk4", "sync", "purge"},
         {"Disk optimizasyonu başlatıldı: Travel SSD", "✅ Disk cache optimizasyonu: Travel SSD",
          "✅ Disk I/O optimizasyonu: Travel SSD", "Disk optimizasyonu tamamlandı: Travel SSD"}},
        {"below 50 remounts for reading and writing", ScriptedProcessLauncher::exited(0, iostatWithDisk4("49.99")),
         mount,
         {"iostat -d -c 2 -w 1 disk4", "mount -o remount,readahead=1024 " + mount, "mount -o remount,noatime " + mount, "sync",
          "purge"},
         {"Disk optimizasyonu başlatıldı: Travel SSD", "✅ Okuma performansı optimizasyonu: Travel SSD",
          "✅ Yazma performansı optimizasyonu: Travel SSD", "✅ Disk cache optimizasyonu: Travel SSD",
          "✅ Disk I/O optimizasyonu: Travel SSD", "Disk optimizasyonu tamamlandı: Travel SSD"}},
        {"no sample: the all-zero record, never the utilization step", ScriptedProcessLauncher::startFailure("gone"),
         mount,
         {"iostat -d -c 2 -w 1 disk4", "mount -o remount,readahead=1024 " + mount, "mount -o remount,noatime " + mount, "sync",
          "purge"},
         {"Disk optimizasyonu başlatıldı: Travel SSD", "Performans ölçümü hatası: gone",
          "✅ Okuma performansı optimizasyonu: Travel SSD", "✅ Yazma performansı optimizasyonu: Travel SSD",
          "✅ Disk cache optimizasyonu: Travel SSD", "✅ Disk I/O optimizasyonu: Travel SSD",
          "Disk optimizasyonu tamamlandı: Travel SSD"}},
        {"the disk not in iostat's output: nothing stored, the steps of a missing sample",
         ScriptedProcessLauncher::exited(1), mount,
         {"iostat -d -c 2 -w 1 disk4", "mount -o remount,readahead=1024 " + mount, "mount -o remount,noatime " + mount,
          "sync", "purge"},
         {"Disk optimizasyonu başlatıldı: Travel SSD", "✅ Okuma performansı optimizasyonu: Travel SSD",
          "✅ Yazma performansı optimizasyonu: Travel SSD", "✅ Disk cache optimizasyonu: Travel SSD",
          "✅ Disk I/O optimizasyonu: Travel SSD", "Disk optimizasyonu tamamlandı: Travel SSD"}},
        {"without a mount point only the buffer steps", ScriptedProcessLauncher::exited(0, iostatWithDisk4("0.04")),
         std::nullopt,
         {"iostat -d -c 2 -w 1 disk4", "sync", "purge"},
         {"Disk optimizasyonu başlatıldı: Travel SSD", "✅ Disk cache optimizasyonu: Travel SSD",
          "✅ Disk I/O optimizasyonu: Travel SSD", "Disk optimizasyonu tamamlandı: Travel SSD"}},
    };
    make();
    for (const auto& c : cases) {
        reset();
        optimizer->diskPerformance.set({});
        tp.processes->onCommand("/usr/sbin/iostat", kIostatArguments, c.iostat, 1);
        optimizer->optimizeDisk(disk4(c.mountPoint));
        tp.scheduler->runUntilIdle();
        EXPECT_EQ(optimizer->diskPerformance.get().count("disk4"), c.iostat.output.empty() && c.iostat.started() ? 0u : 1u)
            << c.name;
        EXPECT_EQ(runs(), c.runs) << c.name;
        EXPECT_EQ(lines(), c.lines) << c.name;
    }
}

TEST_F(OptimizerTest, StepsThatFailReportTheirExitStatusAndTheSampleIsReplaced) {
    make();
    answer("/sbin/mount", ending(End::fails));
    answer("/usr/sbin/purge", ending(End::fails));
    answer("/bin/sync", ScriptedProcessLauncher::startFailure("The file “sync” doesn’t exist."));
    tp.processes->onCommand("/usr/sbin/iostat", kIostatArguments, ScriptedProcessLauncher::exited(0, iostatWithDisk4("0.04")), 1);
    optimizer->optimizeDisk(disk4());
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           "Disk optimizasyonu başlatıldı: Travel SSD",
                           "❌ Okuma performansı optimizasyonu hatası: exit status 1",
                           "❌ Yazma performansı optimizasyonu hatası: exit status 1",
                           "❌ Disk cache optimizasyonu hatası: The file “sync” doesn’t exist.",
                           "❌ Disk I/O optimizasyonu hatası: exit status 1",
                           "Disk optimizasyonu tamamlandı: Travel SSD"}));
    EXPECT_DOUBLE_EQ(optimizer->diskPerformance.get().at("disk4").readSpeed, 0.04);

    tp.processes->onCommand("/usr/sbin/iostat", kIostatArguments, ScriptedProcessLauncher::exited(0, iostatWithDisk4("70.00")), 1);
    optimizer->optimizeDisk(disk4());
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(optimizer->diskPerformance.get().size(), 1u);
    EXPECT_DOUBLE_EQ(optimizer->diskPerformance.get().at("disk4").writeSpeed, 70.0);
}

TEST_F(OptimizerTest, SystemPassFallsBackFromPurgeToMemoryPressure) {
    struct Case {
        End purge, memoryPressure, sysctl;
        std::string cacheLine, ioLine;
    };
    const std::vector<Case> cases = {
        {End::ok, End::ok, End::ok, "Sistem cache temizlendi", "Sistem I/O optimize edildi"},
        {End::fails, End::ok, End::fails, "Sistem cache temizlendi (alternatif)",
         "⚠️ Sistem I/O optimize edilemedi: exit status 1"},
        {End::missing, End::ok, End::missing, "Sistem cache temizlendi (alternatif)", "Sistem I/O zaten optimize"},
        {End::missing, End::missing, End::ok, "Sistem cache temizleme mevcut değil", "Sistem I/O optimize edildi"},
        {End::fails, End::fails, End::ok, "Sistem cache temizleme mevcut değil", "Sistem I/O optimize edildi"},
    };
    make();
    for (const auto& c : cases) {
        reset();
        answer("/usr/sbin/purge", ending(c.purge));
        answer("/usr/bin/memory_pressure", ending(c.memoryPressure));
        answer("/usr/sbin/sysctl", ending(c.sysctl));
        optimizer->optimizeAllDisks();
        tp.scheduler->runUntilIdle();
        EXPECT_EQ(lines(), (std::vector<std::string>{"Sistem optimizasyonu başlatıldı", c.cacheLine,
                                                     "Sistem cache optimize edildi", c.ioLine,
                                                     "Sistem optimizasyonu tamamlandı"}));
        EXPECT_EQ(runs().size(), c.purge == End::ok ? 2u : 3u);
        EXPECT_EQ(tp.processes->runs().back().program, "/usr/sbin/sysctl");
        EXPECT_EQ(runs().back(), "sysctl -w kern.maxvnodes=1000000");
    }
}

TEST_F(OptimizerTest, StartTakesBothAssertionsOnceAndStopGivesThemBack) {
    make();
    optimizer->startOptimization();
    optimizer->startOptimization();
    tp.scheduler->runUntilIdle();
    const auto held = tp.power->held();
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held.at(optimizer->powerAssertion()).type, "NoDisplaySleepAssertion");
    EXPECT_EQ(held.at(optimizer->powerAssertion()).name, "Velmora - Prevent Sleep");
    EXPECT_EQ(held.at(optimizer->usbPowerAssertion()).type, "PreventUserIdleSystemSleep");
    EXPECT_EQ(held.at(optimizer->usbPowerAssertion()).name, "Velmora - USB Power");
    for (const auto& [id, h] : held) EXPECT_EQ(h.level, 255);
    EXPECT_EQ(lines(), (std::vector<std::string>{"Performans optimizasyonu başlatıldı", "✅ Sistem uyku modu engellendi",
                                                 "✅ USB güç yönetimi aktif"}));
    EXPECT_TRUE(optimizer->powerManagementActive.get());
    EXPECT_TRUE(tp.defaults->boolValue("PowerManagementActive"));

    // The system pass comes 30 seconds after the start, not before.
    tp.scheduler->advance(29.9);
    EXPECT_TRUE(tp.processes->runsOf("/usr/sbin/purge").empty());
    tp.scheduler->advance(0.2);
    EXPECT_EQ(tp.processes->runsOf("/usr/sbin/purge").size(), 1u);

    // Work still queued when the stop comes never runs after its line.
    reset();
    optimizer->optimizeDisk(disk4());
    optimizer->optimizeAllDisks();
    optimizer->enableAggressivePowerManagement();
    optimizer->stopOptimization();
    EXPECT_TRUE(optimizer->powerManagementActive.get()) << "the flag follows through the main queue";
    tp.scheduler->advance(60);
    EXPECT_EQ(lines().back(), "Performans optimizasyonu durduruldu");
    EXPECT_EQ(runs(), std::vector<std::string>{}) << "nothing queued before the stop ran after it";
    EXPECT_TRUE(tp.power->held().empty());
    EXPECT_EQ(optimizer->powerAssertion(), 0u);
    EXPECT_EQ(optimizer->usbPowerAssertion(), 0u);
    EXPECT_FALSE(optimizer->powerManagementActive.get());
    EXPECT_FALSE(tp.defaults->boolValue("PowerManagementActive"));
    // Queued after the stop, work runs as usual.
    tp.processes->onCommand("/usr/sbin/iostat", kIostatArguments, ScriptedProcessLauncher::exited(0, iostatWithDisk4("70.00")), 1);
    optimizer->optimizeDisk(disk4());
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(lines().back(), "Disk optimizasyonu tamamlandı: Travel SSD");
}

TEST_F(OptimizerTest, AssertionFailuresLeaveTheStoredFlagAlone) {
    // The display-sleep assertion fails: reported by code, the second never tried.
    tp.defaults->setBool("PowerManagementActive", true);
    tp.power->failCreate("NoDisplaySleepAssertion", -536870199);
    make()->enableUSBPowerManagement();
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(lines(), std::vector<std::string>{"❌ Güç yönetimi başarısız: -536870199"});
    EXPECT_EQ(tp.power->createCalls("PreventUserIdleSystemSleep"), 0);
    EXPECT_TRUE(optimizer->powerManagementActive.get()) << "a stored true shows from construction on";

    // The idle-sleep assertion fails: silent, the first stays held.
    testing::TestPlatform other;
    other.power->failCreate("PreventUserIdleSystemSleep", -536870199);
    auto second = PerformanceOptimizer::create(other.platform());
    second->enableUSBPowerManagement();
    other.scheduler->runUntilIdle();
    EXPECT_EQ(other.diagnostics->lines(), std::vector<std::string>{"✅ Sistem uyku modu engellendi"});
    EXPECT_EQ(other.power->heldCount("NoDisplaySleepAssertion"), 1u);
    EXPECT_FALSE(second->powerManagementActive.get());

    // A flag left true by a run that never stopped is read back by the next one.
    other.defaults->setBool("PowerManagementActive", true);
    EXPECT_TRUE(PerformanceOptimizer::create(other.platform())->powerManagementActive.get());
}

TEST_F(OptimizerTest, AggressiveModeSetsTheFlagAndReadsPmsetsRefusal) {
    struct Case {
        RunResult list, disableSleep;
        std::string last;
    };
    const std::string refusal = "'/usr/bin/pmset' must be run as root...\n";
    const std::vector<Case> cases = {
        {ending(End::ok), ending(End::ok), "✅ USB port güç koruması aktif"},
        {ending(End::ok), ending(End::ok, refusal), "⚠️ USB port güç koruması authorization gerekli"},
        {ending(End::ok), ending(End::fails), "⚠️ USB port güç koruması authorization gerekli"},
        {ending(End::ok), ScriptedProcessLauncher::startFailure("no pmset"),
         "⚠️ Non-critical power management operation skipped: no pmset"},
        {ending(End::fails), ending(End::ok), "⚠️ Power management access olmadığından güç koruması atlandı"},
        {ScriptedProcessLauncher::startFailure("no pmset"), ending(End::ok),
         "⚠️ Non-critical power management operation skipped: no pmset"},
    };
    make();
    // Every tool runs on the optimizer's queue, never on the main thread.
    std::vector<std::string> contexts;
    tp.processes->setFallback([&](const RunSpec&) {
        contexts.push_back(tp.scheduler->currentContext());
        return ScriptedProcessLauncher::exited(0);
    });
    for (const auto& c : cases) {
        reset();
        tp.defaults->setBool("PowerManagementActive", false);
        tp.processes->onCommand("/usr/bin/pmset", {"-g", "assertions"}, c.list, 1);
        tp.processes->onCommand("/usr/bin/pmset", {"-b", "disablesleep", "1"}, c.disableSleep, 1);
        optimizer->enableAggressivePowerManagement();
        EXPECT_TRUE(tp.processes->runs().empty()) << "nothing runs on the main thread";
        EXPECT_TRUE(optimizer->powerManagementActive.get());
        EXPECT_TRUE(tp.defaults->boolValue("PowerManagementActive"));
        tp.scheduler->runUntilIdle();
        EXPECT_EQ(lines().front(), "⚡ Agresif güç yönetimi aktif - Büyük uygulama tespit edildi");
        EXPECT_EQ(lines().back(), c.last);
        EXPECT_EQ(lines().size(), 2u);
    }
    optimizer->startOptimization();
    optimizer->optimizeDisk(disk4());
    tp.scheduler->advance(31);
    ASSERT_FALSE(contexts.empty());
    for (const auto& context : contexts) EXPECT_EQ(context, "performance.optimizer");
}

}  // namespace
}  // namespace velmora
