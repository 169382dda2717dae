#include "disks/InternalDiskMarker.h"

#include <gtest/gtest.h>

#include "app/AuthorizationManager.h"
#include "support/TestPlatform.h"

namespace velmora {
namespace {

using testing::ScriptedProcessLauncher;

struct Marker : ::testing::Test {
    testing::TestPlatform tp;
    std::shared_ptr<DiskMonitor> monitor = DiskMonitor::create(tp.platform());
    std::shared_ptr<AuthorizationManager> authorization = AuthorizationManager::create(tp.platform());
    std::shared_ptr<InternalDiskMarker> marker = InternalDiskMarker::create(tp.platform(), authorization, monitor);
    int completions = 0;

    DiskInfo disk(const std::string& id, const std::string& name, std::optional<std::string> mount, bool external = true) {
        return DiskInfo(id, name, "/dev/" + id, 1, external, external, std::move(mount), "ExFAT", false, tp.scheduler->now());
    }
    void mask(const DiskInfo& d) {
        marker->maskDiskAsInternal(d, [this] { ++completions; });
        tp.scheduler->runUntilIdle();
    }
    std::vector<std::string> commandLines() const { return tp.processes->commandLines(); }
    bool ran(const std::string& program) const { return !tp.processes->runsOf(program).empty(); }
};

TEST_F(Marker, AllStepsSucceedInOrder) {
    std::vector<std::string> onMainThread;
    tp.processes->setFallback([&](const RunSpec& request) {
        if (tp.scheduler->isMainThread()) onMainThread.push_back(request.program);
        return ScriptedProcessLauncher::exited(0);
    });
    mask(disk("disk4", "Photos", "/Volumes/Photos"));
    EXPECT_EQ(onMainThread, std::vector<std::string>{});  // the main thread never waits for a tool
    const std::vector<std::string> expected = {
        "🔄 Photos being marked as internal disk...",
        "1️⃣ Configuring disk permissions...",
        "✅ Disk ownership enabled: Photos",
        "2️⃣ Enabling Spotlight indexing...",
        "✅ Spotlight indexing enabled: Photos",
        "🔄 Spotlight reindex started: Photos",
        "3️⃣ Mount parametreleri optimize ediliyor...",
        "✅ Mount parameters set to internal (with authorization): Photos",
        "4️⃣ Optimizing disk cache...",
        "✅ Disk cache optimized (with authorization): Photos",
        "5️⃣ Enabling advanced file system features...",
        "✅ Extended attributes cleaned: Photos",
        "✅ Journaling aktif: Photos",
        "✅ Photos successfully configured as internal disk!",
        "🎯 Disk will now be recognized by macOS as an internal disk!",
    };
    EXPECT_EQ(tp.diagnostics->lines(), expected);
    EXPECT_EQ(commandLines(), (std::vector<std::string>{
                                  "/usr/sbin/diskutil enableOwnership /dev/disk4",
                                  "/usr/bin/mdutil -i on /Volumes/Photos",
                                  "/usr/bin/mdutil -E /Volumes/Photos",
                                  "/sbin/mount -u -o owners,dev,suid,exec,async,noatime /Volumes/Photos",
                                  "/usr/sbin/sysctl -w vfs.generic.always_cache=1",
                                  "/usr/bin/xattr -d com.apple.quarantine /Volumes/Photos",
                                  "/usr/sbin/diskutil enableJournal /dev/disk4",
                              }));
    EXPECT_EQ(completions, 1);
}

// A tool that runs but fails must not be reported as a success.
TEST_F(Marker, FailingOwnershipAndSpotlightToolsReportTheirStatus) {
    struct Case {
        const char* label;
        std::string program;
        std::vector<std::string> arguments;
        RunResult answer;
        std::vector<std::string> present, absent;
        bool reindexRuns;
    };
    const Case cases[] = {
        {"ownership exits 1", "/usr/sbin/diskutil", {"enableOwnership", "/dev/disk4"}, ScriptedProcessLauncher::exited(1),
         {"❌ Disk ownership error: 1"}, {"✅ Disk ownership enabled: Photos"}, true},
        {"ownership cannot start", "/usr/sbin/diskutil", {"enableOwnership", "/dev/disk4"},
         ScriptedProcessLauncher::startFailure("no diskutil"), {"❌ Disk ownership error: no diskutil"},
         {"✅ Disk ownership enabled: Photos"}, true},
        {"indexing exits 2", "/usr/bin/mdutil", {"-i", "on", "/Volumes/Photos"}, ScriptedProcessLauncher::exited(2),
         {"❌ Spotlight indexing error: 2"}, {"✅ Spotlight indexing enabled: Photos"}, false},
        {"indexing cannot start", "/usr/bin/mdutil", {"-i", "on", "/Volumes/Photos"},
         ScriptedProcessLauncher::startFailure("no mdutil"), {"❌ Spotlight indexing error: no mdutil"},
         {"✅ Spotlight indexing enabled: Photos"}, false},
        {"reindex exits 1", "/usr/bin/mdutil", {"-E", "/Volumes/Photos"}, ScriptedProcessLauncher::exited(1),
         {"✅ Spotlight indexing enabled: Photos", "❌ Spotlight indexing error: 1"},
         {"🔄 Spotlight reindex started: Photos"}, true},
    };
    for (const auto& c : cases) {
        testing::TestPlatform local;
        local.processes->onCommand(c.program, c.arguments, c.answer);
        auto m = InternalDiskMarker::create(local.platform(), AuthorizationManager::create(local.platform()),
                                            DiskMonitor::create(local.platform()));
        bool done = false;
        m->maskDiskAsInternal(disk("disk4", "Photos", "/Volumes/Photos"), [&] { done = true; });
        local.scheduler->runUntilIdle();
        for (const auto& line : c.present) EXPECT_TRUE(local.diagnostics->contains(line)) << c.label << ": " << line;
        for (const auto& line : c.absent) EXPECT_FALSE(local.diagnostics->contains(line)) << c.label << ": " << line;
        std::size_t reindexRuns = 0;
        for (const auto& run : local.processes->runsOf("/usr/bin/mdutil")) reindexRuns += run.arguments[0] == "-E";
        EXPECT_EQ(reindexRuns, c.reindexRuns ? 1u : 0u) << c.label;
        EXPECT_TRUE(done) << c.label;
        EXPECT_TRUE(local.diagnostics->contains("🎯 Disk will now be recognized by macOS as an internal disk!")) << c.label;
    }
}

TEST_F(Marker, RefusedPrivilegedStepsTakeTheirFallbacks) {
    tp.processes->onCommand("/sbin/mount", {"-u", "-o", "owners,dev,suid,exec,async,noatime", "/Volumes/Photos"},
                            ScriptedProcessLauncher::exited(1));
    tp.processes->onCommand("/usr/sbin/sysctl", {"-w", "vfs.generic.always_cache=1"}, ScriptedProcessLauncher::exited(1));
    tp.processes->onCommand("/usr/bin/xattr", {"-d", "com.apple.quarantine", "/Volumes/Photos"}, ScriptedProcessLauncher::exited(1));
    tp.processes->onCommand("/usr/sbin/diskutil", {"enableJournal", "/dev/disk4"}, ScriptedProcessLauncher::exited(1));
    mask(disk("disk4", "Photos", "/Volumes/Photos"));
    EXPECT_TRUE(tp.diagnostics->contains("✅ Mount parameters (basic) set to internal (with authorization): Photos"));
    EXPECT_TRUE(tp.diagnostics->contains("ℹ️ Disk cache optimization skipped (authorization required): Photos"));
    EXPECT_TRUE(tp.diagnostics->contains("ℹ️ Quarantine attribute not found: Photos"));
    EXPECT_TRUE(tp.diagnostics->contains("ℹ️ Journaling zaten aktif veya desteklenmiyor: Photos"));

    tp.diagnostics->clear();
    tp.processes->onCommand("/sbin/mount", {"-u", "-o", "owners,async", "/Volumes/Photos"}, ScriptedProcessLauncher::exited(1));
    tp.processes->onCommand("/usr/bin/xattr", {"-d", "com.apple.quarantine", "/Volumes/Photos"}, ScriptedProcessLauncher::startFailure());
    tp.processes->onCommand("/usr/sbin/diskutil", {"enableJournal", "/dev/disk4"}, ScriptedProcessLauncher::startFailure());
    mask(disk("disk4", "Photos", "/Volumes/Photos"));
    EXPECT_TRUE(tp.diagnostics->contains("ℹ️ Mount parameters could not be changed (authorization denied): Photos"));
    EXPECT_TRUE(tp.diagnostics->contains("ℹ️ Extended attributes cleanup skipped: Photos"));
    EXPECT_TRUE(tp.diagnostics->contains("ℹ️ Journaling setting skipped: Photos"));
    EXPECT_EQ(completions, 2);
}

TEST_F(Marker, MountPointRulesAndTheSystemDisk) {
    mask(disk("disk0", "Root", "/"));
    EXPECT_TRUE(tp.diagnostics->contains("ℹ️ Invalid mount point, mount optimization skipped: Root"));
    EXPECT_TRUE(tp.diagnostics->contains("ℹ️ Journaling skipped for system disk: Root"));
    EXPECT_FALSE(tp.diagnostics->containsSubstring("Extended attributes"));
    EXPECT_FALSE(tp.diagnostics->containsSubstring("Quarantine"));
    EXPECT_FALSE(ran("/sbin/mount"));
    EXPECT_FALSE(ran("/usr/bin/xattr"));
    for (const auto& run : tp.processes->runsOf("/usr/sbin/diskutil")) EXPECT_NE(run.arguments[0], "enableJournal");

    tp.diagnostics->clear();
    tp.processes->clearRecord();
    mask(disk("disk6", "Bare", std::nullopt));
    EXPECT_TRUE(tp.diagnostics->contains("ℹ️ Mount point not found, mount optimization skipped: Bare"));
    EXPECT_TRUE(tp.diagnostics->contains("ℹ️ Mount point not found, file system optimization skipped: Bare"));
    EXPECT_FALSE(ran("/usr/bin/mdutil"));
    EXPECT_EQ(commandLines(), (std::vector<std::string>{"/usr/sbin/diskutil enableOwnership /dev/disk6",
                                                        "/usr/sbin/sysctl -w vfs.generic.always_cache=1",
                                                        "/usr/sbin/diskutil enableJournal /dev/disk6"}));
    EXPECT_EQ(completions, 2);
}

TEST_F(Marker, InternalDiskIsLeftAlone) {
    mask(disk("disk3", "Macintosh HD", "/", false));
    EXPECT_EQ(tp.diagnostics->lines(), (std::vector<std::string>{"⚠️ Macintosh HD is already an internal disk"}));
    EXPECT_TRUE(tp.processes->runs().empty());
    EXPECT_EQ(completions, 1);
}

// A window that closes while consent is pending drops its marker; the started
// procedure still runs its last steps and prints its closing lines.
TEST_F(Marker, ProcedureFinishesWhenItsOwnerLetsGo) {
    marker->maskDiskAsInternal(disk("disk4", "Photos", "/Volumes/Photos"), [this] { ++completions; });
    ASSERT_FALSE(tp.diagnostics->contains("4️⃣ Optimizing disk cache..."));  // waiting for the remount
    marker.reset();
    tp.scheduler->runUntilIdle();
    EXPECT_TRUE(tp.diagnostics->contains("✅ Journaling aktif: Photos"));
    EXPECT_TRUE(tp.diagnostics->contains("🎯 Disk will now be recognized by macOS as an internal disk!"));
    EXPECT_EQ(completions, 1);
}

TEST_F(Marker, ExternalDisksOfTheMonitorAreMarkedOneAfterTheOther) {
    monitor->connectedDisks.set({disk("disk4", "Photos", "/Volumes/Photos"), disk("disk1", "Internal", "/", false),
                                 disk("disk5", "Music", std::nullopt)});
    marker->maskExternalDisksAsInternal([this] { ++completions; });
    tp.scheduler->runUntilIdle();
    const auto lines = tp.diagnostics->lines();
    std::vector<std::string> boundaries;
    for (const auto& l : lines)
        if (l.rfind("🔄 ", 0) == 0 && l.find("being marked") != std::string::npos) boundaries.push_back(l);
        else if (l.rfind("🎯", 0) == 0) boundaries.push_back("end");
    EXPECT_EQ(boundaries, (std::vector<std::string>{"🔄 Photos being marked as internal disk...", "end",
                                                    "🔄 Music being marked as internal disk...", "end"}));
    EXPECT_FALSE(tp.diagnostics->containsSubstring("Internal is already"));
    EXPECT_EQ(completions, 1);
}

}  // namespace
}  // namespace velmora
