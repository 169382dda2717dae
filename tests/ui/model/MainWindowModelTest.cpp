#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/AuthorizationManager.h"
#include "app/StartupManager.h"
#include "apps/AppLauncher.h"
#include "apps/LaunchServicesManager.h"
#include "disks/DiskMonitor.h"
#include "disks/FakeDiskutil.h"
#include "performance/PerformanceOptimizer.h"
#include "stabilizer/AutomaticUSBStabilizer.h"
#include "support/TestPlatform.h"
#include "system/SharedSystemMonitor.h"
#include "ui/model/MainWindowModel.h"

namespace velmora::testing {
namespace {

struct Window {
    TestPlatform tp;
    FakeDiskutil diskutil{*tp.processes};
    std::shared_ptr<MainWindowModel> model = MainWindowModel::create(tp.platform(), nullptr);
    Date start = tp.scheduler->now();

    // Plugs the disks and lets the window see them.
    void show(const std::vector<DiskPlistFields>& disks) {
        for (const auto& disk : disks) diskutil.plug(disk);
        model->onAppear();
        tp.scheduler->advance(3);
    }
    double elapsed() const { return secondsBetween(start, tp.scheduler->now()); }
    DiskInfo listed(const std::string& id) const {
        for (const auto& disk : model->diskMonitor->connectedDisks.get())
            if (disk.id == id) return disk;
        throw std::runtime_error(id + " is not listed");
    }
    long lineIndex(const std::string& fragment) const {
        const auto lines = tp.diagnostics->lines();
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find(fragment) != std::string::npos) return static_cast<long>(i);
        return -1;
    }
};

DiskPlistFields usb(const std::string& id, const std::string& name) {
    return DiskPlistFields::usbDisk(id, name, "/Volumes/" + name);
}

DiskInfo disk(const std::string& id, const std::string& name, bool external) {
    return DiskInfo(id, name, "/dev/" + id, 64000000000, external, external, std::nullopt, std::nullopt, false,
                    dateFromSeconds(0));
}

AppInfo heavyApp() {
    AppInfo app;
    app.bundleIdentifier = "com.adobe.Premiere";
    app.name = "Premiere";
    return app;
}

TEST(MainWindowModel, FirstAppearanceRefreshesOnceWithItsLabelSequence) {
    struct Case { std::map<std::string, std::string> strings; std::string restingLabel; };
    for (const Case& c : {Case{{}, "Refreshing"}, Case{{{"refreshing", "Yenileniyor"}}, "Yenileniyor"}}) {
        Window w;
        *w.tp.strings = StringTable(c.strings);
        w.diskutil.plug(usb("disk4", "Photos"));
        std::vector<std::pair<double, std::string>> labels;
        auto following = w.model->refreshingMessage.subscribe(
            [&](const std::string& text) { labels.emplace_back(w.elapsed(), text); });
        w.model->onAppear();
        w.model->onAppear();
        w.tp.scheduler->advance(0.4);
        EXPECT_EQ(w.model->refreshButton().label, "Refresh");
        w.tp.scheduler->advance(1.1);
        EXPECT_EQ(w.model->refreshButton().label, "✅");
        w.tp.scheduler->advance(5);
        EXPECT_EQ(w.model->refreshButton().label, "Refresh");
        const std::vector<std::pair<double, std::string>> expected = {
            {0.5, "Auto Refreshing"}, {1.0, "✅"}, {2.0, c.restingLabel}};
        EXPECT_EQ(labels, expected);
        EXPECT_FALSE(w.model->isRefreshing.get());
        EXPECT_EQ(w.tp.diagnostics->count("✅ New disk shown in UI: Photos"), 1u);
        EXPECT_EQ(w.tp.diagnostics->count("Disk izleme başlatıldı"), 1u);
        w.diskutil.unplug("disk4");
        w.tp.scheduler->advance(5);
        EXPECT_EQ(w.tp.diagnostics->count("❌ Disk removed from UI: Photos"), 1u);
    }
}

TEST(MainWindowModel, SelectionTogglesAndNamesTheMakeInternalSubtitle) {
    Window w;
    w.show({usb("disk4", "Photos"), usb("disk5", "Music")});
    struct Step { std::string clicked; std::string subtitle; };
    for (const Step& s : {Step{"disk4", "Photos"}, Step{"disk5", "Music"}, Step{"disk5", "All disks"},
                          Step{"disk4", "Photos"}}) {
        w.model->selectDisk(w.listed(s.clicked));
        const auto button = w.model->makeInternalButton();
        EXPECT_EQ(button.subtitle, s.subtitle) << s.clicked;
        EXPECT_EQ(button.displayedSubtitle, s.subtitle);
        EXPECT_FALSE(button.isDisabled);
    }
    // An unplugged selected disk stays selected; with no external disk left
    // the button is disabled and says why.
    w.diskutil.unplug("disk4");
    w.diskutil.unplug("disk5");
    w.tp.scheduler->advance(6);
    EXPECT_TRUE(w.model->diskList().isEmpty);
    const auto button = w.model->makeInternalButton();
    EXPECT_EQ(button.subtitle, "Photos");
    EXPECT_TRUE(button.isDisabled);
    EXPECT_EQ(button.displayedSubtitle, "USB disk required");
}

TEST(MainWindowModel, CardStatusesFollowTheManagers) {
    using Set = std::function<void(Window&)>;
    using Pick = std::function<CardStatus(const ProtectionCards&)>;
    const Pick stabilizer = [](const ProtectionCards& c) { return c.stabilizer.header.status; };
    const Pick controllers = [](const ProtectionCards& c) { return c.controllers.header.status; };
    const Pick power = [](const ProtectionCards& c) { return c.power.header.status; };
    const Pick aggressive = [](const ProtectionCards& c) { return c.aggressivePower.header.status; };
    const Pick connection = [](const ProtectionCards& c) { return c.connection.header.status; };
    const Pick apps = [](const ProtectionCards& c) { return c.applications.header.status; };
    const Pick associations = [](const ProtectionCards& c) { return c.associations.header.status; };
    const Pick startup = [](const ProtectionCards& c) { return c.startup.header.status; };
    const auto optimizerPower = [](bool on) {
        return [on](Window& w) { w.model->performanceOptimizer->powerManagementActive.set(on); };
    };
    const auto stabilizerState = [](bool active, bool powerManagement) {
        return [=](Window& w) {
            w.model->automaticStabilizer->isActive.set(active);
            w.model->automaticStabilizer->powerManagementActive.set(powerManagement);
        };
    };
    const auto rebuiltAgo = [](double seconds) {
        return [seconds](Window& w) {
            w.model->launchServicesManager->lastRebuildDate.set(addSeconds(w.tp.scheduler->now(), -seconds));
        };
    };
    struct Case { const char* name; Set set; Pick pick; CardStatus expected; };
    const std::vector<Case> cases = {
        {"stabilizer off", optimizerPower(false), stabilizer, CardStatus::inactive},
        {"stabilizer on", optimizerPower(true), stabilizer, CardStatus::active},
        {"controllers power", stabilizerState(true, true), controllers, CardStatus::active},
        {"controllers active", stabilizerState(true, false), controllers, CardStatus::warning},
        {"controllers stopped", stabilizerState(false, false), controllers, CardStatus::inactive},
        {"power off", optimizerPower(false), power, CardStatus::inactive},
        {"power on", optimizerPower(true), power, CardStatus::active},
        {"aggressive off", [](Window&) {}, aggressive, CardStatus::inactive},
        {"aggressive on", [](Window& w) { w.model->isAggressivePowerActive.set(true); }, aggressive, CardStatus::active},
        {"connection stable", [](Window&) {}, connection, CardStatus::active},
        {"connection unstable", [](Window& w) { w.model->diskMonitor->usbConnectionStable.set(false); }, connection,
         CardStatus::warning},
        {"no heavy apps", [](Window&) {}, apps, CardStatus::normal},
        {"heavy app", [](Window& w) { w.model->appLauncher->highResourceApps.set({heavyApp()}); },
         apps, CardStatus::warning},
        {"never rebuilt", [](Window&) {}, associations, CardStatus::warning},
        {"rebuilt an hour ago", rebuiltAgo(3600), associations, CardStatus::active},
        {"rebuilt eight days ago", rebuiltAgo(8 * 86400), associations, CardStatus::warning},
        {"startup off", [](Window&) {}, startup, CardStatus::inactive},
        {"startup on", [](Window& w) { w.model->startupManager->isStartupEnabled.set(true); }, startup, CardStatus::active},
    };
    for (const auto& c : cases) {
        Window w;
        w.tp.scheduler->runUntilIdle();
        c.set(w);
        EXPECT_EQ(c.pick(w.model->cards()), c.expected) << c.name;
    }
}

// The texts and colours each card and button derives from its state.
TEST(MainWindowModel, EveryTextFollowsItsState) {
    using Set = std::function<void(Window&)>;
    using Text = std::function<std::string(Window&)>;
    const Text stabilizerStatus = [](Window& w) { return w.model->cards().stabilizer.statusValue; };
    const Text powerRows = [](Window& w) {
        std::string text;
        for (const auto& row : w.model->cards().power.rows)
            text += row.text + "=" + row.status + (row.isActive ? "+" : "-") + " ";
        return text;
    };
    const Text startupLabel = [](Window& w) { return w.model->cards().startup.toggle.label; };
    const Text authorization = [](Window& w) {
        const auto card = w.model->cards().authorization;
        return (card.isShown ? "shown: " : "hidden: ") + card.authorizationStatus;
    };
    const Text systemButton = [](Window& w) {
        const auto b = w.model->systemRefreshButton();
        return b.title + "/" + b.displayedSubtitle + (b.isLoading ? " loading" : "");
    };
    const Text sideButtons = [](Window& w) {
        return w.model->optimizeButton().label + "/" + w.model->refreshButton().label;
    };
    const Text fix = [](Window& w) { return w.model->cards().associations.fix.label; };
    const Text badges = [](Window& w) {
        std::string text;
        for (const auto& card : w.model->diskList().cards)
            for (const auto& badge : card.badges) text += card.id + ":" + badge.text + "/" + badge.color + " ";
        return text;
    };
    const auto authorized = [](bool yes, const char* status) {
        return [=](Window& w) {
            w.model->authManager->isAuthorized.set(yes);
            w.model->authManager->authorizationStatus.set(status);
        };
    };
    const Set nothing = [](Window&) {};
    struct Case { const char* name; Set set; Text text; std::string expected; };
    const std::vector<Case> cases = {
        {"stabilizer passive", nothing, stabilizerStatus, "Passive"},
        {"stabilizer active", [](Window& w) { w.model->performanceOptimizer->powerManagementActive.set(true); },
         stabilizerStatus, "Active Protection"},
        {"power rows off", nothing, powerRows,
         "Power Management=Inactive- System sleep mode=Normal- USB port protection=Passive- "},
        {"power rows on", [](Window& w) { w.model->performanceOptimizer->powerManagementActive.set(true); }, powerRows,
         "Power Management=Active+ System sleep mode=Prevented+ USB port protection=Active+ "},
        {"startup off", nothing, startupLabel, "Enable"},
        {"startup on", [](Window& w) { w.model->startupManager->isStartupEnabled.set(true); }, startupLabel, "Disable"},
        {"not authorized", authorized(false, "Basic system access"), authorization, "shown: Basic system access"},
        {"authorized", authorized(true, "Full access"), authorization, "hidden: Full access"},
        {"system at rest", nothing, systemButton, "Refresh/System"},
        {"system refreshing", [](Window& w) { w.model->refreshSystem(); }, systemButton, "Refreshing/System loading"},
        {"side buttons at rest", nothing, sideButtons, "Optimize/Refresh"},
        {"optimizing and refreshing",
         [](Window& w) {
             w.model->optimize();
             w.model->refreshDisks();
         },
         sideButtons, "Optimizing/Refreshing"},
        {"fix at rest", nothing, fix, "Fix"},
        {"fix while rebuilding", [](Window& w) { w.model->launchServicesManager->isRebuilding.set(true); }, fix,
         "Processing"},
        {"badges",
         [](Window& w) {
             w.show({DiskPlistFields::internalDisk("disk0", "APPLE SSD"), usb("disk4", "Photos")});
             w.model->diskMonitor->markDiskAsInternal("disk4");
             w.tp.scheduler->advance(6);
         },
         badges, "disk0:Internal/grey disk4:External/blue disk4:Internal/green "},
    };
    for (const auto& c : cases) {
        Window w;
        c.set(w);
        EXPECT_EQ(c.text(w), c.expected) << c.name;
    }
}

// Every value the window draws from tells it to redraw when it changes.
TEST(MainWindowModel, EveryManagerValueReachesTheWindow) {
    using Set = std::function<void(MainWindowModel&, SharedSystemMonitor&)>;
    const std::vector<std::pair<const char*, Set>> changes = {
        {"selected disk", [](auto& m, auto&) { m.selectDisk(disk("disk4", "Photos", true)); }},
        {"refreshing", [](auto& m, auto&) { m.isRefreshing.set(true); }},
        {"optimizing", [](auto& m, auto&) { m.isOptimizing.set(true); }},
        {"processing", [](auto& m, auto&) { m.isProcessingDisk.set(true); }},
        {"system refreshing", [](auto& m, auto&) { m.isSystemRefreshing.set(true); }},
        {"masking", [](auto& m, auto&) { m.isMaskingDisk.set(true); }},
        {"refresh label", [](auto& m, auto&) { m.refreshingMessage.set("✅"); }},
        {"last refresh", [](auto& m, auto&) { m.lastRefreshTime.set(dateFromSeconds(5)); }},
        {"aggressive", [](auto& m, auto&) { m.isAggressivePowerActive.set(true); }},
        {"disks", [](auto& m, auto&) { m.diskMonitor->connectedDisks.set({disk("disk4", "Photos", true)}); }},
        {"connection stable", [](auto& m, auto&) { m.diskMonitor->usbConnectionStable.set(false); }},
        {"optimizer power", [](auto& m, auto&) { m.performanceOptimizer->powerManagementActive.set(true); }},
        {"heavy apps", [](auto& m, auto&) { m.appLauncher->highResourceApps.set({heavyApp()}); }},
        {"authorized", [](auto& m, auto&) { m.authManager->isAuthorized.set(true); }},
        {"authorization status", [](auto& m, auto&) { m.authManager->authorizationStatus.set("Full access"); }},
        {"startup", [](auto& m, auto&) { m.startupManager->isStartupEnabled.set(true); }},
        {"rebuilding", [](auto& m, auto&) { m.launchServicesManager->isRebuilding.set(true); }},
        {"last rebuild", [](auto& m, auto&) { m.launchServicesManager->lastRebuildDate.set(dateFromSeconds(5)); }},
        {"rebuild status", [](auto& m, auto&) { m.launchServicesManager->rebuildStatus.set("failed"); }},
        {"stabilizer active", [](auto& m, auto&) { m.automaticStabilizer->isActive.set(true); }},
        {"protected disks", [](auto& m, auto&) { m.automaticStabilizer->usbDisksProtected.set({"Photos"}); }},
        {"stability level",
         [](auto& m, auto&) { m.automaticStabilizer->currentStabilityLevel.set(StabilityLevel::maximum); }},
        {"last action", [](auto& m, auto&) { m.automaticStabilizer->lastStabilizationAction.set("done"); }},
        {"controllers", [](auto& m, auto&) { m.automaticStabilizer->usbControllerInfo.set({USBControllerInfo{}}); }},
        {"controller power", [](auto& m, auto&) { m.automaticStabilizer->powerManagementActive.set(true); }},
        {"large apps", [](auto&, auto& s) { s.runningLargeApps.set({"Xcode"}); }},
        {"power status", [](auto&, auto& s) { s.powerStatus.set("Yüksek Performans"); }},
        {"power mode", [](auto&, auto& s) { s.usbcPowerMode.set("Maksimum"); }},
    };
    for (const auto& [name, change] : changes) {
        TestPlatform tp;
        auto monitor = SharedSystemMonitor::create(tp.platform());
        auto model = MainWindowModel::create(tp.platform(), monitor);
        int redraws = 0;
        auto following = model->subscribeChanges([&] { ++redraws; });
        change(*model, *monitor);
        EXPECT_GE(redraws, 1) << name;
    }
}

// The system refresh restarts both monitors; a finished refresh stamps its time.
TEST(MainWindowModel, ActionsReachTheirManagers) {
    Window w;
    w.model->refreshSystem();
    EXPECT_EQ(w.tp.diagnostics->count("Disk izleme başlatıldı"), 1u);
    EXPECT_EQ(w.tp.diagnostics->count("Uygulama izleme başlatıldı"), 1u);
    w.model->onAppear();
    w.tp.scheduler->advance(3);

    const Date before = w.model->lastRefreshTime.get();
    w.tp.scheduler->advance(10);
    w.model->refreshDisks();
    w.tp.scheduler->advance(1);
    EXPECT_FALSE(w.model->isRefreshing.get());
    EXPECT_GT(secondsBetween(before, w.model->lastRefreshTime.get()), 9.0);
}

TEST(MainWindowModel, CardsListOnlyWhatTheyShouldAndCountTheRest) {
    std::vector<DiskInfo> disks = {disk("disk2", "Macintosh HD", false), disk("disk4", "Photos", true),
                                   disk("disk5", "Apple Disk Image", true), disk("disk6", "/dev/disk6", true)};
    const auto connection = connectionCard(disks, true, StringTable());
    ASSERT_EQ(connection.disks.size(), 1u);
    EXPECT_EQ(connection.disks[0].name, "Photos");
    EXPECT_EQ(connection.disks[0].caption, "Connection stable");
    EXPECT_FALSE(connection.emptyLine);
    EXPECT_EQ(connectionCard({disks[0], disks[2]}, true, StringTable()).emptyLine->text, "External disk not connected");

    for (const auto& [bytes, text] : std::vector<std::pair<std::int64_t, std::string>>{
             {999999999, "1000 MB"}, {1000000000, "1 GB"}, {64000000000, "64 GB"}, {0, "0 MB"}})
        EXPECT_EQ(diskSizeText(bytes), text) << bytes;

    struct Case { std::size_t disks; bool powerManagement; std::size_t lines; std::optional<std::string> more; };
    for (const Case& c : {Case{0, false, 0, {}}, Case{3, true, 3, {}}, Case{5, false, 3, "... and 2 more"}}) {
        Window w;
        auto& stabilizer = *w.model->automaticStabilizer;
        stabilizer.usbDisksProtected.set(std::vector<std::string>(c.disks, "T7"));
        stabilizer.powerManagementActive.set(c.powerManagement);
        const auto card = w.model->cards().controllers;
        EXPECT_EQ(card.protectedDisksCount, std::to_string(c.disks));
        EXPECT_EQ(card.protectedDisks.size(), c.lines);
        EXPECT_EQ(card.moreDisks, c.more);
        EXPECT_EQ(card.powerManagement.has_value(), c.powerManagement);
        for (const auto& line : card.protectedDisks) EXPECT_EQ(line.powerSymbol.has_value(), c.powerManagement);
    }
}

TEST(MainWindowModel, FixRebuildsForASelectedExternalDiskElseEverything) {
    struct Case { const char* name; std::optional<DiskInfo> selected; bool rebuilding; const char* started; int presses = 1; };
    const std::vector<Case> cases = {
        {"no selection", std::nullopt, false, "launch_services_rebuild_started"},
        {"internal disk", disk("disk2", "Macintosh HD", false), false, "launch_services_rebuild_started"},
        {"external disk", disk("disk4", "Photos", true), false, "disk_rebuild_started"},
        {"already rebuilding", disk("disk4", "Photos", true), true, nullptr},
        // Space pressed twice before the first press's step runs: one rebuild.
        {"pressed twice", std::nullopt, false, "launch_services_rebuild_started", 2},
    };
    for (const auto& c : cases) {
        Window w;
        if (c.selected) w.model->selectDisk(*c.selected);
        w.model->launchServicesManager->isRebuilding.set(c.rebuilding);
        EXPECT_EQ(w.model->cards().associations.fix.isDisabled, c.rebuilding) << c.name;
        for (int i = 0; i < c.presses; ++i) w.model->fixApplicationAssociations();
        w.tp.scheduler->runUntilIdle();
        const auto lines = w.tp.diagnostics->lines();
        const auto starts = std::count_if(lines.begin(), lines.end(),
                                          [](const std::string& line) { return line.find("rebuild_started") != std::string::npos; });
        EXPECT_EQ(starts, c.started ? 1 : 0) << c.name;
        if (c.started) {
            EXPECT_GE(w.lineIndex(std::string("🔄 ") + c.started), 0) << c.name;
        }
    }
}

TEST(MainWindowModel, BusyFlagsHoldForTheirTime) {
    using M = MainWindowModel;
    struct Case { const char* name; void (M::*action)(); Published<bool> M::*flag; double seconds; };
    for (const Case& c : {Case{"optimize", &M::optimize, &M::isOptimizing, 2.0},
                          Case{"system refresh", &M::refreshSystem, &M::isSystemRefreshing, 1.0}}) {
        Window w;
        ((*w.model).*c.action)();
        EXPECT_TRUE(((*w.model).*c.flag).get()) << c.name;
        w.tp.scheduler->advance(c.seconds - 0.01);
        EXPECT_TRUE(((*w.model).*c.flag).get()) << c.name;
        w.tp.scheduler->advance(0.01);
        EXPECT_FALSE(((*w.model).*c.flag).get()) << c.name;
    }
}

TEST(MainWindowModel, AggressiveToggleActivatesAfterASecondAndDeactivatesAtOnce) {
    Window w;
    auto& optimizer = *w.model->performanceOptimizer;
    w.model->toggleAggressivePower();
    w.model->toggleAggressivePower();  // ignored while the activation runs
    EXPECT_TRUE(w.model->cards().aggressivePower.toggle.showsProgress);
    w.tp.scheduler->advance(0.9);
    EXPECT_FALSE(w.model->isAggressivePowerActive.get());
    w.tp.scheduler->advance(0.1);
    EXPECT_FALSE(w.model->isProcessingDisk.get());
    EXPECT_TRUE(w.model->isAggressivePowerActive.get());
    EXPECT_TRUE(w.tp.defaults->boolValue("isAggressivePowerActive"));
    EXPECT_TRUE(optimizer.powerManagementActive.get());
    EXPECT_EQ(w.model->cards().aggressivePower.toggle.label, "Deactivate");

    w.model->toggleAggressivePower();
    EXPECT_FALSE(w.model->isAggressivePowerActive.get());
    EXPECT_FALSE(w.tp.defaults->boolValue("isAggressivePowerActive"));
    EXPECT_FALSE(optimizer.powerManagementActive.get());
    EXPECT_EQ(w.tp.diagnostics->count("🔋 Agresif güç yönetimi deaktif edildi"), 1u);
    EXPECT_EQ(w.model->cards().aggressivePower.toggle.label, "Activate");
    // A new window reads the stored setting.
    w.tp.defaults->setBool("isAggressivePowerActive", true);
    EXPECT_TRUE(MainWindowModel::create(w.tp.platform(), nullptr)->isAggressivePowerActive.get());
}

TEST(MainWindowModel, MakeInternalAsksConsentFirstAndRecordsTheSelectedOrTheExternalDisks) {
    struct Case { const char* name; bool authorized; std::optional<std::string> selected; std::vector<std::string> marked; };
    const std::vector<Case> cases = {
        {"all, no consent yet", false, std::nullopt, {"disk4", "disk5"}},
        {"one, consent given", true, "disk5", {"disk5"}},
        {"an internal disk: declined by the procedure, still recorded", true, "disk2", {"disk2"}},
    };
    for (const auto& c : cases) {
        Window w;
        w.tp.defaults->setBool("AuthorizationRequested", c.authorized);
        w.tp.defaults->setBool("IsAuthorized", c.authorized);
        w.model->authManager->checkInitialAuthorizationStatus();
        w.show({DiskPlistFields::internalDisk("disk2", "Macintosh HD"), usb("disk4", "Photos"), usb("disk5", "Music")});
        if (c.selected) w.model->selectDisk(w.listed(*c.selected));
        long markingWhenAuthorized = -2;
        auto following = w.model->authManager->isAuthorized.subscribe(
            [&](bool yes) { if (yes) markingWhenAuthorized = w.lineIndex("being marked as internal disk"); });
        w.model->makeInternal();
        EXPECT_TRUE(w.model->makeInternalButton().isLoading) << c.name;
        w.tp.scheduler->advance(1);
        EXPECT_TRUE(w.model->authManager->isAuthorized.get()) << c.name;
        EXPECT_EQ(markingWhenAuthorized, c.authorized ? -2 : -1) << c.name;
        std::vector<std::string> marked;
        for (const auto& d : w.model->diskMonitor->connectedDisks.get())
            if (d.isMarkedAsInternal) marked.push_back(d.id);
        std::sort(marked.begin(), marked.end());
        EXPECT_EQ(marked, c.marked) << c.name;
        EXPECT_TRUE(w.model->isMaskingDisk.get()) << c.name;  // held two seconds after the marking
        w.tp.scheduler->advance(1.5);
        EXPECT_FALSE(w.model->isMaskingDisk.get()) << c.name;
    }
}

}  // namespace
}  // namespace velmora::testing
