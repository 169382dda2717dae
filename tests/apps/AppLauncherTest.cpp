#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "apps/AppLauncher.h"
#include "apps/DiskForPath.h"
#include "apps/HighResourceRule.h"
#include "support/TestPlatform.h"

namespace velmora::testing {
namespace {

const char* const kDfHeader =
    "Filesystem     512-blocks      Used Available Capacity iused     ifree %iused  Mounted on\n";

std::string dfRow(const std::string& device, const std::string& mountedOn) {
    return std::string(kDfHeader) + device + "  965595304 25348232 714783480     4%  348619 3573917400    0%   " + mountedOn + "\n";
}

RunningApplication app(const std::string& bundleId, const std::string& path, int pid, std::optional<double> secondsAgo,
                       Date now) {
    RunningApplication a;
    a.processIdentifier = pid;
    a.bundleIdentifier = bundleId;
    a.localizedName = bundleId;
    a.bundlePath = path;
    if (secondsAgo) a.launchDate = addSeconds(now, -*secondsAgo);
    return a;
}

struct AppLauncherTest : ::testing::Test {
    TestPlatform tp;
    std::shared_ptr<AppLauncher> launcher = AppLauncher::create(tp.platform());
    std::vector<std::string> detected;

    AppLauncherTest() {
        // Bundles under /Volumes/USB sit on the USB disk, everything else on
        // the system volume.
        tp.processes->on([](const RunSpec& r) { return r.program == "/bin/df"; },
                         [](const RunSpec& r) {
                             const std::string& path = r.arguments.at(0);
                             if (path.rfind("/Volumes/USB", 0) == 0) {
                                 return ScriptedProcessLauncher::exited(0, dfRow("/dev/disk4s2", "/Volumes/USB"));
                             }
                             return ScriptedProcessLauncher::exited(0, dfRow("/dev/disk3s1s1", "/"));
                         });
        launcher->onHighResourceAppDetected = [this](const AppInfo& a) {
            // Called after publication: the entering app is already listed.
            const auto heavy = launcher->highResourceApps.get();
            bool listed = false;
            for (const auto& h : heavy) listed = listed || h.isSameLaunch(a);
            detected.push_back(listed ? a.bundleIdentifier : "unlisted " + a.bundleIdentifier);
        };
    }
    Date now() const { return tp.scheduler->now(); }
    std::size_t dfRuns() const { return tp.processes->runsOf("/bin/df").size(); }
    std::vector<std::string> listedIds() const {
        std::vector<std::string> ids;
        for (const auto& a : launcher->runningApps.get()) ids.push_back(a.bundleIdentifier);
        return ids;
    }
};

TEST_F(AppLauncherTest, ListsOnlyRegularApplicationsOtherThanItselfWithDefaults) {
    RunningApplication bare;  // the system knows nothing about it
    bare.processIdentifier = 50;
    RunningApplication accessory = app("com.example.menu", "/Applications/Menu.app", 51, 10, now());
    accessory.activationPolicy = ActivationPolicy::accessory;
    RunningApplication prohibited = app("com.example.agent", "/Applications/Agent.app", 52, 10, now());
    prohibited.activationPolicy = ActivationPolicy::prohibited;
    tp.processInspector->setOwnProcessIdentifier(57);
    tp.workspace->setApplications({
        bare, accessory, prohibited,
        app("com.velmora", "/Applications/A.app", 53, 10, now()),
        app("org.Velmora.helper", "/Applications/B.app", 54, 10, now()),
        app("com.orrindel.velmora", "/Applications/Velmora.app", 55, 10, now()),
        app("com.example.editor", "/Applications/Editor.app", 56, 10, now()),
        app("com.example.renamed-copy", "/Applications/Copy.app", 57, 10, now()),
    });
    launcher->startMonitoring();
    tp.scheduler->runUntilIdle();

    const auto apps = launcher->runningApps.get();
    ASSERT_EQ(listedIds(), (std::vector<std::string>{"unknown", "com.example.editor"}));
    EXPECT_EQ(apps[0].name, "Unknown");
    EXPECT_EQ(apps[0].path, "");
    EXPECT_TRUE(apps[0].diskDependencies.empty());
    EXPECT_FALSE(apps[0].launchDate);
    EXPECT_TRUE(apps[0].isRunning);
    EXPECT_EQ(apps[1].launchDate, addSeconds(now(), -10));
    EXPECT_EQ(dfRuns(), 1u) << "only the editor has a bundle; its working directory is unknown";
    EXPECT_TRUE(tp.diagnostics->contains("Çalışma dizini alınamadı: No such process"));
}

TEST_F(AppLauncherTest, DependsOnTheBundleDiskThenTheWorkingDirectoryDisk) {
    tp.workspace->setApplications({
        app("com.example.tool", "/Volumes/USB/Tool.app", 60, 10, now()),
        app("com.example.local", "/Applications/Local.app", 61, 10, now()),
        app("com.example.debug", "/Users/me/Build/Debug/Dev.app", 62, 10, now()),
    });
    tp.processInspector->setWorkingDirectory(60, "/");
    tp.processInspector->setWorkingDirectory(61, "/Volumes/USB/Projects");
    tp.processInspector->setWorkingDirectory(62, "/Users/me/DerivedData/x");
    launcher->startMonitoring();
    tp.scheduler->runUntilIdle();

    const auto apps = launcher->runningApps.get();
    ASSERT_EQ(apps.size(), 3u);
    EXPECT_EQ(apps[0].diskDependencies, (std::vector<std::string>{"/dev/disk4s2", "/dev/disk3s1s1"}));
    EXPECT_EQ(apps[1].diskDependencies, (std::vector<std::string>{"/dev/disk3s1s1", "/dev/disk4s2"}));
    EXPECT_TRUE(apps[2].diskDependencies.empty());
    EXPECT_EQ(dfRuns(), 4u) << "build products are never looked up";

    const auto byDisk = launcher->diskApps.get();
    ASSERT_EQ(byDisk.size(), 2u);
    EXPECT_EQ(byDisk.at("/dev/disk4s2").size(), 2u);
    EXPECT_EQ(byDisk.at("/dev/disk3s1s1").size(), 2u);
}

TEST_F(AppLauncherTest, DfAnswersThatNameNoDevice) {
    struct Case {
        const char* what;
        std::string output;
        std::optional<std::string> device;
    };
    const std::vector<Case> cases = {
        {"nothing", "", std::nullopt},
        {"header only", kDfHeader, std::nullopt},
        {"five fields", std::string(kDfHeader) + "/dev/disk4s2 1 2 3 4%\n", std::nullopt},
        {"six fields", std::string(kDfHeader) + "/dev/disk4s2 1 2 3 4% /Volumes/USB\n", "/dev/disk4s2"},
        {"tabs and padding", std::string(kDfHeader) + "  map\tauto_home 0 0 0 100% /System/Volumes/Data/home", "map"},
    };
    for (const auto& c : cases) EXPECT_EQ(DiskForPath::deviceFromOutput(c.output), c.device) << c.what;

    for (const std::string skipped : {"", "/x/DerivedData/A.app", "/x/Debug/A.app", "/x/Release/A.app"}) {
        EXPECT_EQ(launcher->getDiskForPath(skipped), std::nullopt) << skipped;
    }
    EXPECT_EQ(dfRuns(), 0u);
    tp.processes->onCommand("/bin/df", {"/Volumes/Gone/A.app"},
                            ScriptedProcessLauncher::exited(1, dfRow("/dev/disk9s1", "/Volumes/Gone")));
    EXPECT_EQ(launcher->getDiskForPath("/Volumes/Gone/A.app"), std::nullopt) << "a failing df names no disk";
}

TEST_F(AppLauncherTest, MemoryEstimateTable) {
    struct Case {
        const char* identifier;
        std::optional<double> secondsRunning;
        double estimate;
        bool known;
    };
    const std::vector<Case> cases = {
        {"com.adobe.Photoshop", 300, 800, true},
        {"com.adobe.Photoshop", 300.5, 1200, true},
        {"com.Adobe.x", 10, 800, true},
        {"com.apple.finalcutpro", 10, 1000, true},
        {"com.apple.Pro", 400, 200, true},
        {"com.apple.Final", 400, 200, true},
        {"com.valve.Game", 400, 2000, true},
        {"com.google.Chrome", 300, 400, true},
        {"com.google.Chrome", 301, 800, true},
        {"org.mozilla.firefox", 400, 200, true},
        {"com.unity3d.UnityEditor", 10, 100, true},
        {"com.apple.Safari", 400, 200, false},
        {"com.adobe.Photoshop", std::nullopt, 0, true},
        // Identifiers as the system reports them; the word list is case-blind.
        {"com.epicgames.EpicGamesLauncher", 10, 1200, true},
        {"com.apple.dt.Xcode", 10, 100, true},
        {"com.valvesoftware.steam", 10, 100, true},
        {"COM.ADOBE.AFTEREFFECTS", 10, 100, true},
        {"com.apple.finder", 10, 100, false},
    };
    const Date now = tp.scheduler->now();
    for (const auto& c : cases) {
        std::optional<Date> launch;
        if (c.secondsRunning) launch = addSeconds(now, -*c.secondsRunning);
        EXPECT_EQ(HighResourceRule::estimateMemoryUsage(c.identifier, launch, now), c.estimate) << c.identifier;
        EXPECT_EQ(HighResourceRule::isKnownHighResourceApp(c.identifier), c.known) << c.identifier;
    }
}

// The same launch is the same identifier, bundle path and launch date: a copy
// started from another disk, or a relaunch, is a new one.
TEST(AppInfo, TheSameLaunchNeedsIdentifierPathAndLaunchDate) {
    AppInfo first;
    first.bundleIdentifier = "com.adobe.Photoshop";
    first.path = "/Applications/Photoshop.app";
    first.launchDate = dateFromSeconds(100);
    struct Case { const char* name; std::function<void(AppInfo&)> change; bool same; };
    const std::vector<Case> cases = {
        {"unchanged", [](AppInfo&) {}, true},
        {"the name alone", [](AppInfo& a) { a.name = "Photoshop 2025"; }, true},
        {"another copy", [](AppInfo& a) { a.path = "/Volumes/USB/Photoshop.app"; }, false},
        {"relaunched", [](AppInfo& a) { a.launchDate = dateFromSeconds(200); }, false},
        {"another application", [](AppInfo& a) { a.bundleIdentifier = "com.adobe.Illustrator"; }, false},
    };
    for (const auto& c : cases) {
        AppInfo other = first;
        c.change(other);
        EXPECT_EQ(first.isSameLaunch(other), c.same) << c.name;
    }
}

TEST_F(AppLauncherTest, AnApplicationEntersTheHeavyListOnceAndAgainAfterLeaving) {
    const auto adobe = app("com.adobe.Photoshop", "/Applications/Photoshop.app", 70, 10, now());
    const auto chrome = app("com.google.Chrome", "/Applications/Chrome.app", 71, 290, now());
    tp.workspace->setApplications({adobe, chrome, app("com.apple.Safari", "/Applications/Safari.app", 72, 10, now())});
    launcher->startMonitoring();
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(detected, (std::vector<std::string>{"com.adobe.Photoshop"}));

    tp.scheduler->advance(AppLauncher::scanIntervalSeconds);  // Chrome now runs 305 s: estimated 800
    EXPECT_EQ(detected, (std::vector<std::string>{"com.adobe.Photoshop", "com.google.Chrome"}));
    ASSERT_EQ(launcher->highResourceApps.get().size(), 2u);

    tp.workspace->setApplications({chrome});
    tp.scheduler->advance(AppLauncher::scanIntervalSeconds);
    tp.workspace->setApplications({adobe, chrome});
    tp.scheduler->advance(AppLauncher::scanIntervalSeconds);
    EXPECT_EQ(detected, (std::vector<std::string>{"com.adobe.Photoshop", "com.google.Chrome", "com.adobe.Photoshop"}));

    // A relaunch is a new launch date: it enters although the identifier stayed.
    tp.workspace->setApplications({app("com.adobe.Photoshop", "/Applications/Photoshop.app", 73, 1, now()), chrome});
    tp.scheduler->advance(AppLauncher::scanIntervalSeconds);
    EXPECT_EQ(detected.size(), 4u);
}

TEST_F(AppLauncherTest, ScansEvery15SecondsAndSkipsATickWhileAScanRuns) {
    tp.workspace->setApplications({app("com.example.tool", "/Applications/Tool.app", 80, 10, now())});
    tp.processInspector->setWorkingDirectory(80, "/");
    launcher->startMonitoring();
    launcher->startMonitoring();
    EXPECT_EQ(tp.diagnostics->count("Uygulama izleme başlatıldı"), 1u);
    tp.scheduler->runUntilIdle();
    tp.scheduler->advance(30);
    EXPECT_EQ(dfRuns(), 6u) << "the first scan and two ticks, two df runs each";

    // A df that hangs for 40 s holds off the two ticks that fall due meanwhile.
    tp.processes->on([](const RunSpec& r) { return r.program == "/bin/df"; },
                     [this](const RunSpec&) {
                         tp.scheduler->sleep(40);
                         return ScriptedProcessLauncher::exited(0, dfRow("/dev/disk3s1s1", "/"));
                     },
                     1);
    tp.scheduler->advance(15);
    EXPECT_EQ(dfRuns(), 8u);
    tp.scheduler->runUntilIdle();  // the ticks due meanwhile find the scan still running
    EXPECT_EQ(dfRuns(), 8u);
    tp.scheduler->advance(15);
    EXPECT_EQ(dfRuns(), 10u) << "the next tick after the slow scan runs";

    launcher->stopMonitoring();
    tp.scheduler->advance(60);
    EXPECT_EQ(dfRuns(), 10u);
    EXPECT_TRUE(tp.diagnostics->contains("Uygulama izleme durduruldu"));
}

}  // namespace
}  // namespace velmora::testing
