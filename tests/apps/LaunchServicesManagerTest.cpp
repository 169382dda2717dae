#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "apps/BundleSearch.h"
#include "apps/LaunchServicesManager.h"
#include "apps/RelativeDateText.h"
#include "support/TestPlatform.h"

namespace velmora::testing {
namespace {

const std::string kLsregister =
    "/System/Library/Frameworks/CoreServices.framework/Frameworks/LaunchServices.framework/Support/lsregister";
const std::vector<std::string> kRebuild = {"-r", "-domain", "local", "-domain", "system", "-domain", "user"};

// A folder tree removed afterwards (links removed, never followed).
struct TempTree {
    std::string root;
    TempTree() {
        char pattern[] = "/tmp/velmora-apps-test-XXXXXX";
        root = ::mkdtemp(pattern);
    }
    ~TempTree() { std::system(("rm -rf '" + root + "'").c_str()); }
    std::string dir(const std::string& relative) const {
        std::string path = root;
        std::size_t start = 0;
        while (start < relative.size()) {
            std::size_t slash = relative.find('/', start);
            if (slash == std::string::npos) slash = relative.size();
            path += "/" + relative.substr(start, slash - start);
            ::mkdir(path.c_str(), 0755);
            start = slash + 1;
        }
        return path;
    }
};

struct LaunchServicesTest : ::testing::Test {
    TestPlatform tp;
    std::shared_ptr<LaunchServicesManager> manager;
    std::vector<std::pair<double, std::string>> statuses;  // seconds since start, status
    std::vector<std::pair<double, bool>> rebuilding;
    Date start = tp.scheduler->now();

    LaunchServicesTest() { makeManager(); }
    void makeManager() {
        manager = LaunchServicesManager::create(tp.platform());
        manager->rebuildStatus.observe([this](const std::string& s) { statuses.emplace_back(elapsed(), s); });
        manager->isRebuilding.observe([this](bool b) { rebuilding.emplace_back(elapsed(), b); });
    }
    double elapsed() const { return secondsBetween(start, tp.scheduler->now()); }
    void lsregisterAnswers(RunResult result) {
        tp.processes->on([](const RunSpec& r) { return r.program == kLsregister; }, [result](const RunSpec&) { return result; });
    }
    void killallAnswers(const std::string& name, int status) {
        tp.processes->onCommand("/usr/bin/killall", {name}, ScriptedProcessLauncher::exited(status));
    }
    std::vector<std::vector<std::string>> lsregisterRuns() const {
        std::vector<std::vector<std::string>> out;
        for (const auto& r : tp.processes->runsOf(kLsregister)) out.push_back(r.arguments);
        return out;
    }
    static DiskInfo disk(const std::string& name, std::optional<std::string> mountPoint) {
        return DiskInfo("disk4", name, "/dev/disk4", 1000, true, false, std::move(mountPoint), "ExFAT", false, Date{});
    }
};

using Statuses = std::vector<std::pair<double, std::string>>;

TEST_F(LaunchServicesTest, FullRebuildSuccessRestartsFinderAndDockAndStoresTheDate) {
    lsregisterAnswers(ScriptedProcessLauncher::exited(0));
    std::optional<bool> result;
    manager->rebuildLaunchServicesDatabase([&](bool ok) { result = ok; });
    tp.scheduler->advance(10);

    EXPECT_EQ(result, true);
    EXPECT_EQ(statuses, (Statuses{{0, "launch_services_rebuilding"}, {1, "finder_restarting"}, {3, "✅ rebuild_completed"}, {6, ""}}));
    EXPECT_EQ(rebuilding, (std::vector<std::pair<double, bool>>{{0, true}, {6, false}}));
    EXPECT_EQ(lsregisterRuns(), (std::vector<std::vector<std::string>>{kRebuild}));
    EXPECT_EQ(tp.processes->runsOf(kLsregister).at(0).deadlineSeconds, 900.0);
    EXPECT_EQ(tp.processes->runsOf("/usr/bin/killall").size(), 2u);
    EXPECT_EQ(tp.diagnostics->lines(),
              (std::vector<std::string>{"🔄 launch_services_rebuild_started", "✅ lsregister_success", "✅ finder_restart_success",
                                        "🔄 Dock yenilendi", "✅ launch_services_rebuild_success"}));
    EXPECT_EQ(manager->lastRebuildDate.get(), addSeconds(start, 3));
    EXPECT_EQ(tp.defaults->dateValue("LastLaunchServicesRebuildDate"), addSeconds(start, 3));
    EXPECT_FALSE(manager->isRebuildNeeded());
}

TEST_F(LaunchServicesTest, FullRebuildFailureTouchesNothingElse) {
    *tp.strings = StringTable(std::map<std::string, std::string>{{"lsregister_error", "lsregister error: %@"}});
    RunResult failed = ScriptedProcessLauncher::exited(1);
    failed.errorOutput = "database locked\n";
    lsregisterAnswers(failed);
    std::optional<bool> result;
    manager->rebuildLaunchServicesDatabase([&](bool ok) { result = ok; });
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(manager->statusMessage(), "❌ rebuild_failed") << "shown while the flow holds the status";
    tp.scheduler->advance(10);

    EXPECT_EQ(result, false);
    EXPECT_EQ(statuses, (Statuses{{0, "launch_services_rebuilding"}, {0, "❌ rebuild_failed"}, {3, ""}}));
    EXPECT_TRUE(tp.processes->runsOf("/usr/bin/killall").empty());
    EXPECT_TRUE(tp.diagnostics->contains("❌ lsregister error: database locked\n"));
    EXPECT_TRUE(tp.diagnostics->contains("❌ launch_services_rebuild_error"));
    EXPECT_FALSE(manager->lastRebuildDate.get());
    EXPECT_EQ(manager->statusMessage(), "no_update_yet");
}

TEST_F(LaunchServicesTest, PerDiskRebuildRegistersEveryBundleAfterTheRestarts) {
    TempTree tree;
    tree.dir("Applications/Tool.app");
    tree.dir("Other.app");
    lsregisterAnswers(ScriptedProcessLauncher::exited(0));
    killallAnswers("Finder", 1);  // no Finder running: no 2-second wait
    *tp.strings = StringTable({{"registering_applications", "Registering %ld"}, {"rebuild_completed_for_disk", "Done: %@"}});
    std::optional<bool> result;
    manager->rebuildForDisk(disk("Work", tree.root), [&](bool ok) { result = ok; });
    tp.scheduler->advance(10);

    EXPECT_EQ(result, true);
    EXPECT_EQ(statuses, (Statuses{{0, "updating_associations_for_disk"}, {1, "finder_restarting"}, {1, "Registering 3"},
                                  {1, "✅ Done: Work"}, {4, ""}}));
    const auto runs = lsregisterRuns();
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0], kRebuild);
    EXPECT_EQ(runs[1], (std::vector<std::string>{"-f", tree.root + "/Applications/Tool.app"}));
    EXPECT_EQ(tp.processes->runsOf(kLsregister).at(1).deadlineSeconds, 120.0);
    EXPECT_TRUE(tp.diagnostics->contains("📱 Work diskinde 3 uygulama bulundu"));
    EXPECT_TRUE(tp.diagnostics->contains("⚠️ finder_restart_completed"));
    EXPECT_TRUE(tp.diagnostics->contains("✅ 3 uygulama Launch Services'e kaydedildi"));
}

// Each bundle is registered on its own: one that fails is reported and the
// others are still registered, and the rebuild ends as a success.
TEST_F(LaunchServicesTest, OneFailedBundleNeitherStopsTheOthersNorTheRebuild) {
    struct Case { std::vector<std::string> bundles; std::string failing; };
    for (const Case& c : {Case{{"Tool.app"}, ""}, Case{{"A.app", "B.app", "C.app"}, "A.app"}}) {
        TempTree tree;
        for (const auto& bundle : c.bundles) tree.dir(bundle);
        tp.processes->clearRecord();
        tp.diagnostics->clear();
        const std::string failing = c.failing.empty() ? "" : tree.root + "/" + c.failing;
        tp.processes->on([](const RunSpec& r) { return r.program == kLsregister; },
                         [failing](const RunSpec& r) {
                             RunResult result = ScriptedProcessLauncher::exited(0);
                             if (!failing.empty() && r.arguments.back() == failing) {
                                 result = ScriptedProcessLauncher::exited(1);
                                 result.errorOutput = "cannot register";
                             }
                             return result;
                         });
        killallAnswers("Finder", 1);
        std::optional<bool> result;
        manager->rebuildForDisk(disk("Work", tree.root), [&](bool ok) { result = ok; });
        tp.scheduler->advance(10);
        EXPECT_EQ(result, true) << c.bundles.size();
        EXPECT_EQ(lsregisterRuns().size(), 1 + c.bundles.size());
        EXPECT_EQ(tp.diagnostics->containsSubstring("❌ lsregister_error"), !c.failing.empty());
        EXPECT_TRUE(tp.diagnostics->contains("✅ " + std::to_string(c.bundles.size()) +
                                             " uygulama Launch Services'e kaydedildi"));
        EXPECT_FALSE(manager->isRebuilding.get());
    }
}

TEST_F(LaunchServicesTest, PerDiskRebuildWithoutMountPointOrWithFailingToolRegistersNothing) {
    lsregisterAnswers(ScriptedProcessLauncher::exited(0));
    manager->rebuildForDisk(disk("Bare", std::nullopt));
    tp.scheduler->advance(10);
    EXPECT_TRUE(tp.diagnostics->contains("📱 Bare diskinde 0 uygulama bulundu"));
    EXPECT_EQ(lsregisterRuns().size(), 1u);
    EXPECT_FALSE(tp.diagnostics->containsSubstring("uygulama Launch Services'e kaydedildi"));

    // A partitioned whole disk's mount point is empty: its mounted volumes
    // are searched; with none, nothing is, least of all "/".
    TempTree volume;
    volume.dir("Applications/Tool.app");
    DiskInfo split = disk("Split", std::string());
    manager->rebuildForDisk(split);
    tp.scheduler->advance(10);
    EXPECT_TRUE(tp.diagnostics->contains("📱 Split diskinde 0 uygulama bulundu"));
    EXPECT_FALSE(tp.diagnostics->containsSubstring("directory_scan_error")) << "nothing was searched";
    split.volumeMountPoints = {volume.root};
    manager->rebuildForDisk(split);
    tp.scheduler->advance(10);
    EXPECT_TRUE(tp.diagnostics->contains("📱 Split diskinde 2 uygulama bulundu"));

    TempTree tree;
    tree.dir("Tool.app");
    tp.processes->on([](const RunSpec& r) { return r.program == kLsregister; },
                     [](const RunSpec&) { return ScriptedProcessLauncher::startFailure("The file “lsregister” doesn’t exist."); });
    *tp.strings = StringTable(std::map<std::string, std::string>{{"lsregister_execution_failed", "cannot start: %@"}});
    statuses.clear();
    tp.processes->clearRecord();
    start = tp.scheduler->now();
    manager->rebuildForDisk(disk("Work", tree.root));
    tp.scheduler->advance(10);
    EXPECT_EQ(statuses, (Statuses{{0, "updating_associations_for_disk"}, {0, "❌ rebuild_failed_for_disk"}, {3, ""}}));
    EXPECT_TRUE(tp.diagnostics->contains("❌ cannot start: The file “lsregister” doesn’t exist."));
    EXPECT_EQ(lsregisterRuns().size(), 1u) << "the failed rebuild registered no bundle";
}

TEST_F(LaunchServicesTest, StoredDateDecidesWhetherARebuildIsNeeded) {
    struct Case {
        const char* what;
        std::optional<PlistValue> stored;
        bool needed;
        std::string summary;
    };
    const Date now = tp.scheduler->now();
    const std::vector<Case> cases = {
        {"never", std::nullopt, true, "no_update_yet"},
        {"exactly a week", PlistValue(addSeconds(now, -604800)), false, "last_update: 1 week ago"},
        {"just over a week", PlistValue(addSeconds(now, -604801)), true, "last_update: 1 week ago"},
        {"an hour", PlistValue(addSeconds(now, -3600)), false, "last_update: 1 hour ago"},
        {"not a date", PlistValue(std::string("yesterday")), true, "no_update_yet"},
    };
    for (const auto& c : cases) {
        if (c.stored) {
            tp.defaults->set("LastLaunchServicesRebuildDate", *c.stored);
        } else {
            tp.defaults->remove("LastLaunchServicesRebuildDate");
        }
        makeManager();
        EXPECT_EQ(manager->isRebuildNeeded(), c.needed) << c.what;
        EXPECT_EQ(manager->statusMessage(), c.summary) << c.what;
    }
    tp.defaults->remove("LastLaunchServicesRebuildDate");
    makeManager();
    EXPECT_EQ(manager->timeSinceLastRebuild(), "never_rebuilt");
}

TEST_F(LaunchServicesTest, RelativeDatesInFullWords) {
    const Date now = tp.scheduler->now();
    struct Case {
        double offset;
        const char* locale;
        std::string text;
    };
    const std::vector<Case> cases = {
        {0, "en", "in 0 seconds"},       {-59, "en", "59 seconds ago"}, {-90, "en", "1 minute ago"},
        {-7200, "en", "2 hours ago"},    {-86400 * 2, "en", "2 days ago"}, {-86400 * 400, "en", "1 year ago"},
        {3600, "en", "in 1 hour"},       {-7200, "tr", "2 saat önce"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RelativeDateText::format(addSeconds(now, c.offset), now, c.locale), c.text) << c.offset << " " << c.locale;
    }
}

TEST_F(LaunchServicesTest, BundleSearchListsApplicationsTwiceAndEndsLinkCycles) {
    TempTree tree;
    tree.dir("Applications/Tool.app");
    tree.dir("Other.app/Contents/Helpers/Inner.app");
    tree.dir("Nested/Deeper");
    ASSERT_EQ(::symlink("..", (tree.root + "/Nested/Deeper/Loop").c_str()), 0);  // back into Nested
    ASSERT_EQ(::symlink("../Applications", (tree.root + "/Nested/Apps").c_str()), 0);
    std::ofstream(tree.root + "/Notes.app") << "not a bundle, still listed";
    // An entry that cannot be looked at (even by root): the folder is
    // reported once, and its other entries are still searched.
    ASSERT_EQ(::symlink("Self", (tree.root + "/Nested/Self").c_str()), 0);

    BundleSearch search(tp.diagnostics, tp.strings);
    auto found = search.scanVolume(tree.root);
    EXPECT_EQ(tp.diagnostics->lines(), (std::vector<std::string>{"❌ directory_scan_error"}));
    std::map<std::string, int> counts;
    for (const auto& path : found) ++counts[path.substr(tree.root.size())];
    EXPECT_EQ(counts, (std::map<std::string, int>{{"/Applications/Tool.app", 2},
                                                  {"/Nested/Apps/Tool.app", 1},
                                                  {"/Notes.app", 1},
                                                  {"/Other.app", 1}}));
    EXPECT_EQ(found.front(), tree.root + "/Applications/Tool.app") << "the Applications folder comes first";

    EXPECT_TRUE(search.findAppsInDirectory(tree.root + "/Missing").empty());
    EXPECT_TRUE(tp.diagnostics->contains("❌ directory_scan_error"));
}

}  // namespace
}  // namespace velmora::testing
