// The program with its window and status item on a virtual X display with a
// tray host, against a scratch simulated Mac: the same composition as
// `velmora --machine DIR`, driven through its Qt objects.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// Before Qt's headers, whose `signals` keyword would clash with a parameter name.
#include "app/Frontend.h"
#include "host/HostPlatform.h"
#include "app/root/VelmoraApp.h"
#include "tests/sim/SimTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>


namespace velmora::testing {
namespace {

std::string onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        const auto end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

// A child process ended when the test ends, by its own id, and by the kernel
// should the test die first.
struct Child {
    pid_t pid = -1;
    // `keep`: a descriptor left open for the child; the rest of its output
    // goes to the null device.
    Child(const std::string& program, std::vector<std::string> arguments, int keep = -1) {
        arguments.insert(arguments.begin(), program);
        std::vector<char*> argv;
        for (auto& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        const pid_t parent = ::getpid();
        pid = ::fork();
        if (pid != 0) return;
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != keep) ::close(fd);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ~Child() {
        if (pid <= 0) return;
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
};

// Xvfb on a display it picks itself (-displayfd), so parallel runs never collide.
std::unique_ptr<Child> startXvfb(const std::string& xvfb, std::string& display) {
    int pipe[2];
    if (::pipe(pipe) != 0) return nullptr;
    auto child = std::make_unique<Child>(
        xvfb, std::vector<std::string>{"-displayfd", std::to_string(pipe[1]), "-screen", "0", "1280x1024x24", "-nolisten",
                                       "tcp"},
        pipe[1]);
    ::close(pipe[1]);
    std::string number;
    char c;
    while (::read(pipe[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(pipe[0]);
    if (number.empty()) return nullptr;
    display = ":" + number;
    return child;
}

bool spinUntil(const std::function<bool()>& done, int milliseconds = 8000) {
    QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class QuietConsole final : public ProcessConsole {
public:
    void setEnvironment(const std::string&, const std::string&) override {}
    bool redirectStandardErrorToNull() override { return false; }  // keep the test runner's
};

TEST(WindowProgram, StatusMenuWindowHidingAndQuit) {
    const std::string xvfb = onPath("Xvfb");
    const std::string trayer = onPath("trayer");
    if (xvfb.empty() || trayer.empty()) GTEST_SKIP() << "needs Xvfb and trayer (apt-get install xvfb trayer)";
    std::string display;
    auto server = startXvfb(xvfb, display);
    ASSERT_TRUE(server) << "Xvfb did not start";
    ::setenv("DISPLAY", display.c_str(), 1);
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("QT_QPA_PLATFORM");
    Child tray(trayer, {"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "28"});

    sim::testing::ScratchMachine mac("default");
    LaunchOptions options;
    options.machine = mac.dir();
    auto scheduler = RealScheduler::create();
    auto diagnostics = std::make_shared<CapturingDiagnostics>();
    const auto platform = makeHostPlatform(options, scheduler, diagnostics);
    ASSERT_TRUE(platform);
    mac.machine().update([&](sim::MachineState& state) {
        state.loginItems.push_back({"Velmora", platform->bundle.path, true});
    });
    int argc = 1;
    char name[] = "velmora";
    char* argv[] = {name, nullptr};
    std::string whyNot;
    auto frontend = makeWindowFrontend(argc, argv, scheduler, whyNot);
    ASSERT_TRUE(frontend) << whyNot;
    ASSERT_TRUE(spinUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); })) << "no tray host";
    auto app = VelmoraApp::create(*platform, scheduler, mainWindowModels(), std::make_shared<QuietConsole>(), frontend);
    app->launch();
    EXPECT_FALSE(diagnostics->containsSubstring("No system tray"));

    // The status menu: its items in order, Start at Login checked once the
    // login-item query answers (the machine has Velmora as a login item).
    QMenu* menu = nullptr;
    for (auto* widget : QApplication::allWidgets())
        if (auto* m = qobject_cast<QMenu*>(widget); m && m->actions().size() == 5) menu = m;
    ASSERT_NE(menu, nullptr);
    const auto actions = menu->actions();
    QStringList texts;
    for (auto* action : actions) texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(texts, QStringList({"Show Window", "-", "Start at Login", "-", "Quit"}));
    EXPECT_TRUE(spinUntil([&] { return actions[2]->isChecked(); }));

    // The scene's window: shown at launch, gone from the screen after a close,
    // and the same window shown again by Show Window.
    auto shownWindow = [] {
        for (auto* w : QGuiApplication::topLevelWindows())
            if (w->title() == "main" && w->isVisible() && w->isExposed()) return QPointer<QWindow>(w);
        return QPointer<QWindow>();
    };
    ASSERT_TRUE(spinUntil([&] { return !shownWindow().isNull(); }));
    const QPointer<QWindow> scene = shownWindow();
    scene->close();
    EXPECT_TRUE(spinUntil([&] { return shownWindow().isNull(); }));
    actions[0]->trigger();
    EXPECT_TRUE(spinUntil([&] { return !shownWindow().isNull(); }));
    EXPECT_EQ(shownWindow(), scene);

    // Start at Login hands the click on: the login item goes.
    actions[2]->trigger();
    EXPECT_TRUE(spinUntil([&] { return mac.machine().read().loginItems.empty(); }));

    // Each notification takes one path: the machine's centre while this
    // process may use it (nothing on the tray), the tray when it may not.
    struct UnusableCenter final : NotificationCenter {
        void getAuthorizationStatus(std::function<void(NotificationAuthorization)>) override {}
        void requestAuthorization(std::function<void(bool, std::optional<std::string>)>) override {}
        void add(const NotificationRequest&) override { ADD_FAILURE() << "posted to an unusable centre"; }
        std::optional<std::string> unavailableReason() const override { return "ad hoc signature"; }
    };
    auto balloonSays = [](const QString& text) {
        for (auto* widget : QApplication::topLevelWidgets()) {
            if (qstrcmp(widget->metaObject()->className(), "QBalloonTip") != 0 || !widget->isVisible()) continue;
            for (auto* label : widget->findChildren<QLabel*>())
                if (label->text().contains(text)) return true;
        }
        return false;
    };
    mac.machine().update([&](sim::MachineState& state) { state.notificationAuthorization = "authorized"; });
    frontend->notifications(platform->notifications)->add({"one", "Travel SSD connected", "body", true});
    EXPECT_TRUE(spinUntil([&] {
        for (const auto& posted : mac.machine().read().notifications)
            if (posted.title == "Travel SSD connected") return true;
        return false;
    }));
    EXPECT_FALSE(spinUntil([&] { return balloonSays("Travel SSD connected"); }, 1500));
    frontend->notifications(std::make_shared<UnusableCenter>())->add({"two", "Photos connected", "body", true});
    EXPECT_TRUE(spinUntil([&] { return balloonSays("Photos connected"); }, 8000));

    // A quit from the system (the application menu, ⌘Q, logging out) with
    // the window on screen: the same orderly stop as the status menu's Quit,
    // once, and the main loop ends. Posted from inside the loop: Qt drops a
    // quit posted before the loop runs.
    QTimer::singleShot(0, [] { QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit)); });
    bool endedByQuit = true;
    QTimer::singleShot(10000, [&] {
        endedByQuit = false;
        QCoreApplication::exit(1);
    });
    frontend->runMainLoop();
    EXPECT_TRUE(endedByQuit);
    const char* const stopLines[] = {"Disk izleme durduruldu", "Uygulama izleme durduruldu",
                                     "Performans optimizasyonu durduruldu"};
    for (const char* line : stopLines) EXPECT_EQ(diagnostics->count(line), 1u) << line;
    actions[4]->trigger();  // the status menu's Quit afterwards stops nothing twice
    frontend.reset();
    app->shutDown();
    for (const char* line : stopLines) EXPECT_EQ(diagnostics->count(line), 1u) << line;
}

}  // namespace
}  // namespace velmora::testing
