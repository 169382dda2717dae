#include "app/AppDelegate.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/KextstatListing.h"
#include "app/root/HeadlessWindowHost.h"
#include "support/TestPlatform.h"

namespace velmora {
namespace {

using testing::ScriptedProcessLauncher;

constexpr const char* kKextHeader =
    "Index Refs Address            Size       Wired      Name (Version) UUID <Linked Against>\n";
constexpr const char* kKextRow =
    "  101    3 0xfffffe0007abc000 0x1c000    0x1c000    com.apple.iokit.IOUSBMassStorageClass (1.0) "
    "0F0A-UUID <7 6 5 3 1>\n";

struct NullConsole final : ProcessConsole {
    std::vector<std::string> calls;
    void setEnvironment(const std::string& name, const std::string&) override { calls.push_back(name); }
    bool redirectStandardErrorToNull() override {
        calls.push_back("stderr");
        return true;
    }
};

DiskInfo disk(const std::string& id, const std::string& name, bool external,
              std::optional<std::string> mountPoint = std::nullopt) {
    DiskInfo made(id, name, "/dev/" + id, 1'000'000'000, external, external, std::move(mountPoint), "APFS", false,
                  Date{});
    made.busProtocol = external ? "USB" : "Apple Fabric";
    return made;
}

AppInfo appOn(const std::string& name, std::vector<std::string> devices) {
    AppInfo app;
    app.bundleIdentifier = "com.example." + name;
    app.name = name;
    app.diskDependencies = std::move(devices);
    return app;
}

struct Fixture {
    testing::TestPlatform tp;
    std::shared_ptr<NullConsole> console = std::make_shared<NullConsole>();
    std::shared_ptr<HeadlessWindowHost> host = std::make_shared<HeadlessWindowHost>();
    std::shared_ptr<AppDelegate> delegate =
        AppDelegate::create(tp.platform(), console, MainWindowController::create(host, nullptr));

    Fixture() {
        delegate->applicationDidFinishLaunching();
        tp.scheduler->runUntilIdle();
        tp.diagnostics->clear();
        tp.processes->clearRecord();
    }
    std::vector<std::string> titlesAndBodies() const {
        std::vector<std::string> out;
        for (const auto& n : tp.notifications->delivered()) out.push_back(n.title + " | " + n.body);
        return out;
    }
    std::vector<std::string> commandLines() const { return tp.processes->commandLines(); }
    // The delegate's lines, without what the managers print.
    std::vector<std::string> delegateLines() const {
        std::vector<std::string> out;
        for (const auto& line : tp.diagnostics->lines()) {
            for (const char* mark : {"Disk izinleri", "✅ USB Mass", "⚠️ USB Mass", "❌ USB stab", "⚡ Mount", "❌ Mount", "🛡️"}) {
                if (line.rfind(mark, 0) == 0) out.push_back(line);
            }
        }
        return out;
    }
};

// A delegate over a headless window host, its launch done.
std::shared_ptr<AppDelegate> launched(testing::TestPlatform& tp, std::shared_ptr<NullConsole> console) {
    auto delegate = AppDelegate::create(tp.platform(), std::move(console),
                                        MainWindowController::create(std::make_shared<HeadlessWindowHost>(), nullptr));
    delegate->applicationDidFinishLaunching();
    return delegate;
}

TEST(AppDelegate, LaunchRunsItsStepsInOrderAndStartsTheTrackerButNotTheOptimizer) {
    testing::TestPlatform tp;
    auto console = std::make_shared<NullConsole>();
    auto delegate = launched(tp, console);
    const auto lines = tp.diagnostics->lines();
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines.front(), "🚀 Velmora başlatıldı");
    EXPECT_EQ(lines[6], "   • AFDevice eligibility uyarıları");
    const std::vector<std::string> rest(lines.begin() + 7, lines.end());
    EXPECT_EQ(rest, (std::vector<std::string>{"Disk izleme başlatıldı", "Uygulama izleme başlatıldı",
                                              "🎯 Uygulama arka planda başlatıldı - Menu bar'dan erişilebilir"}));
    EXPECT_EQ(console->calls.back(), "stderr");
    // The menu's check state is asked for off the main thread.
    ASSERT_TRUE(delegate->statusItem());
    EXPECT_TRUE(tp.appleScript->sources().empty());
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(tp.notifications->requestCount(), 1);
    EXPECT_EQ(tp.appleScript->sources().size(), 1u);
    EXPECT_TRUE(delegate->diskMonitor()->isMonitoring());
    EXPECT_TRUE(delegate->appLauncher()->isMonitoring());
    EXPECT_FALSE(delegate->performanceOptimizer()->isOptimizing());
    EXPECT_EQ(tp.power->held().size(), 0u);
}

// The console is quiet before anything else can speak: the notification step
// (here saying the centre is unusable) comes after the filtering.
TEST(AppDelegate, ConsoleFilteringComesFirst) {
    testing::TestPlatform tp;
    tp.notifications->unavailable = "not in a bundle";
    auto console = std::make_shared<NullConsole>();
    auto delegate = launched(tp, console);
    const auto lines = tp.diagnostics->lines();
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "🚀 Velmora başlatıldı");
    EXPECT_EQ(lines[7], "📵 Notification Center unavailable: not in a bundle");
}

TEST(AppDelegate, ConnectionAndDisconnection) {
    struct Case {
        const char* what;
        DiskInfo disk;
        bool connected;
        std::vector<AppInfo> apps;
        std::optional<std::vector<AppInfo>> laterScan;  // a scan after the disk went, before its event
        RunResult chmod;
        std::vector<std::string> notifications;
        std::vector<std::string> commands;
        std::vector<std::string> lines;
    };
    const auto data = disk("disk6", "Data", true);
    const Case cases[] = {
        {"external disk, chmod succeeds",
         data,
         true,
         {},
         std::nullopt,
         ScriptedProcessLauncher::exited(0),
         {"USB Disk Bağlandı | Data başarıyla bağlandı"},
         {"/bin/chmod 755 /dev/disk6"},
         {"Disk izinleri ayarlandı: Data"}},
        {"external disk, chmod refused",
         data,
         true,
         {},
         std::nullopt,
         ScriptedProcessLauncher::exited(1),
         {"USB Disk Bağlandı | Data başarıyla bağlandı"},
         {"/bin/chmod 755 /dev/disk6"},
         {"Disk izinleri ayarlanamadı: exit status 1"}},
        {"external disk, chmod missing",
         data,
         true,
         {},
         std::nullopt,
         ScriptedProcessLauncher::startFailure("no chmod"),
         {"USB Disk Bağlandı | Data başarıyla bağlandı"},
         {"/bin/chmod 755 /dev/disk6"},
         {"Disk izinleri ayarlanamadı: no chmod"}},
        {"internal disk: not announced as a USB disk, no chmod",
         disk("disk3", "Macintosh HD", false),
         true,
         {},
         std::nullopt,
         ScriptedProcessLauncher::exited(0),
         {},
         {},
         {}},
        {"no application on the disk",
         data,
         false,
         {appOn("Safari", {"/dev/disk3s1"}), appOn("Other", {"/dev/disk60s1"})},
         std::nullopt,
         ScriptedProcessLauncher::exited(0),
         {"USB Disk Ayrıldı | Data ayrıldı"},
         {},
         {}},
        {"an application the latest scan no longer finds on the disk",
         data,
         false,
         {appOn("Editor", {"/dev/disk6s2"}), appOn("Safari", {"/dev/disk3s1"}), appOn("Gone", {"/dev/disk6s3"})},
         std::vector<AppInfo>{appOn("Editor", {}), appOn("Safari", {"/dev/disk3s1"}),
                              appOn("Player", {"/dev/disk6s1"})},
         ScriptedProcessLauncher::exited(0),
         {"USB Disk Ayrıldı | Data ayrıldı", "Uyarı | 2 uygulama Data diskinde çalışıyor"},
         {},
         {}},
        {"three applications on its slices",
         data,
         false,
         {appOn("Editor", {"/dev/disk6s2"}), appOn("Player", {"/dev/disk3s1", "/dev/disk6s2s1"}),
          appOn("Tool", {"/dev/disk6", "/dev/disk6s2"}), appOn("Safari", {"/dev/disk3s1"})},
         std::nullopt,
         ScriptedProcessLauncher::exited(0),
         {"USB Disk Ayrıldı | Data ayrıldı", "Uyarı | 3 uygulama Data diskinde çalışıyor"},
         {},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        f.tp.processes->onCommand("/bin/chmod", {"755", c.disk.path}, c.chmod);
        f.delegate->appLauncher()->runningApps.set(c.apps);
        if (c.laterScan) f.delegate->appLauncher()->runningApps.set(*c.laterScan);
        auto& monitor = *f.delegate->diskMonitor();
        if (c.connected) {
            monitor.onDiskConnected(c.disk);
        } else {
            monitor.onDiskDisconnected(c.disk);
        }
        // chmod is not waited for by the handler; its line comes when it ends.
        EXPECT_TRUE(f.delegateLines().empty());
        f.tp.scheduler->runUntilIdle();
        EXPECT_EQ(f.titlesAndBodies(), c.notifications);
        auto commands = f.commandLines();
        std::erase_if(commands, [](const std::string& line) { return line.rfind("/bin/chmod", 0) != 0; });
        EXPECT_EQ(commands, c.commands);
        EXPECT_EQ(f.delegateLines(), c.lines);
        // The optimizer samples every connected disk.
        const bool sampled = f.tp.diagnostics->contains("Disk optimizasyonu başlatıldı: " + c.disk.name);
        EXPECT_EQ(sampled, c.connected);
    }
}

TEST(AppDelegate, HeavyApplicationStabilizesEachExternalDiskOffTheMainThreadThenNotifies) {
    struct Case {
        const char* what;
        RunResult kextstat;
        RunResult mount;
        std::vector<std::string> commands;  // after aggressive mode's pmset runs
        std::vector<std::string> lines;
    };
    const std::string kext = "/usr/sbin/kextstat -b com.apple.iokit.IOUSBMassStorageClass";
    const std::string shield = "🛡️ USB koruma aktif: Photoshop için güç yönetimi artırıldı";
    const Case cases[] = {
        {"driver loaded, remount accepted",
         ScriptedProcessLauncher::exited(0, std::string(kKextHeader) + kKextRow),
         ScriptedProcessLauncher::exited(0),
         {kext, "/sbin/mount -u -o noatime,async /Volumes/Travel", kext},
         {"✅ USB Mass Storage sürücüsü aktif: Travel", "⚡ Mount parametreleri optimize edildi: Travel",
          "✅ USB Mass Storage sürücüsü aktif: Bare", shield}},
        {"driver loaded, remount refused",
         ScriptedProcessLauncher::exited(0, std::string(kKextHeader) + kKextRow),
         ScriptedProcessLauncher::exited(1),
         {kext, "/sbin/mount -u -o noatime,async /Volumes/Travel", kext},
         {"✅ USB Mass Storage sürücüsü aktif: Travel", "❌ Mount optimizasyonu hatası: exit status 1",
          "✅ USB Mass Storage sürücüsü aktif: Bare", shield}},
        // Said once, not for each disk or each heavy application.
        {"only the header: not loaded",
         ScriptedProcessLauncher::exited(0, kKextHeader),
         ScriptedProcessLauncher::exited(0),
         {kext, kext},
         {"⚠️ USB Mass Storage sürücüsü kextstat'ta listelenmedi (com.apple.iokit.IOUSBMassStorageClass); mount "
          "parametreleri optimize edilmeyecek",
          shield}},
        {"kextstat missing",
         ScriptedProcessLauncher::startFailure("no kextstat"),
         ScriptedProcessLauncher::exited(0),
         {kext, kext},
         {"❌ USB stabilizasyon kontrolü hatası: no kextstat", "❌ USB stabilizasyon kontrolü hatası: no kextstat",
          shield}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        std::vector<std::string> contexts;
        f.tp.processes->on([](const RunSpec& r) { return r.program == "/usr/sbin/kextstat"; },
                           [&](const RunSpec&) {
                               contexts.push_back(f.tp.scheduler->currentContext());
                               return c.kextstat;
                           });
        f.tp.processes->onCommand("/sbin/mount", {"-u", "-o", "noatime,async", "/Volumes/Travel"}, c.mount);
        // The internal disk is skipped; the one without a mount point gets no mount run.
        f.delegate->diskMonitor()->connectedDisks.set({disk("disk6", "Travel", true, "/Volumes/Travel"),
                                                       disk("disk0", "Macintosh HD", false, "/"),
                                                       disk("disk7", "Bare", true)});
        f.delegate->appLauncher()->onHighResourceAppDetected(appOn("Photoshop", {}));
        EXPECT_TRUE(f.delegate->performanceOptimizer()->powerManagementActive.get());
        EXPECT_TRUE(f.tp.processes->runs().empty());  // nothing waited for on the main thread
        f.tp.scheduler->runUntilIdle();

        auto commands = f.commandLines();
        std::erase_if(commands, [](const std::string& line) { return line.rfind("/usr/bin/pmset", 0) == 0; });
        EXPECT_EQ(commands, c.commands);
        EXPECT_EQ(contexts, (std::vector<std::string>{"app.delegate", "app.delegate"}));
        EXPECT_EQ(f.delegateLines(), c.lines);
        EXPECT_EQ(
            f.titlesAndBodies(),
            std::vector<std::string>{"Büyük Uygulama Tespit Edildi | Photoshop çalışıyor. USB diskleriniz korunuyor."});
    }
}

TEST(AppDelegate, KextstatListsTheDriverOnlyInARowOfItsOwn) {
    const std::string id = AppDelegate::massStorageBundleIdentifier;
    struct Case {
        std::string output;
        bool listed;
    };
    const Case cases[] = {
        {"", false},
        {kKextHeader, false},
        {std::string(kKextHeader) + kKextRow, true},
        {std::string("Executing: /usr/bin/kmutil showloaded --bundle-identifier ") + id + "\n" + kKextHeader, false},
        {std::string(kKextHeader) + "  102 0 0x1 0x1 0x1 " + id + "Extra (1.0) X <>\n", false},
        {std::string("  7 1 0x1 0x1 0x1 ") + id + " (1.0) X <>", true},  // no final newline
    };
    for (const auto& c : cases) EXPECT_EQ(kextstatListsBundle(c.output, id), c.listed) << c.output;
}

TEST(AppDelegate, StopServicesOnceInOrderAndTheWindowCalls) {
    Fixture f;
    f.delegate->performanceOptimizer()->startOptimization();
    EXPECT_EQ(f.tp.power->held().size(), 2u);
    f.tp.diagnostics->clear();
    f.delegate->applicationWillTerminate();
    f.delegate->applicationWillTerminate();
    f.delegate->stopServices();
    EXPECT_EQ(f.tp.diagnostics->lines(),
              (std::vector<std::string>{"Disk izleme durduruldu", "Uygulama izleme durduruldu",
                                        "🔋 Güç yönetimi normal moda döndü", "Performans optimizasyonu durduruldu"}));
    EXPECT_EQ(f.tp.power->held().size(), 0u);
    EXPECT_FALSE(f.delegate->diskMonitor()->isMonitoring());
    EXPECT_FALSE(f.delegate->appLauncher()->isMonitoring());
    EXPECT_FALSE(f.delegate->applicationShouldTerminateAfterLastWindowClosed());

    // Reopen shows the window only when none is visible, and always says yes.
    EXPECT_TRUE(f.delegate->applicationShouldHandleReopen(true));
    EXPECT_TRUE(f.host->windows().empty());
    EXPECT_TRUE(f.delegate->applicationShouldHandleReopen(false));
    EXPECT_TRUE(f.host->hasVisibleWindows());

    // Handlers hold the delegate weakly.
    auto monitor = f.delegate->diskMonitor();
    f.delegate.reset();
    monitor->onDiskConnected(disk("disk6", "Data", true));
    f.tp.scheduler->runUntilIdle();
    EXPECT_TRUE(f.tp.notifications->delivered().empty());
}

}  // namespace
}  // namespace velmora
