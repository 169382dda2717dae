#include "app/root/VelmoraApp.h"

#include <utility>

#include "app/root/HeadlessFrontend.h"

namespace velmora {

std::shared_ptr<VelmoraApp> VelmoraApp::create(Platform platform, std::shared_ptr<RealScheduler> scheduler,
                                               WindowModelFactory makeWindowModel,
                                               std::shared_ptr<ProcessConsole> console,
                                               std::shared_ptr<Frontend> frontend) {
    return std::shared_ptr<VelmoraApp>(new VelmoraApp(std::move(platform), std::move(scheduler),
                                                      std::move(makeWindowModel), std::move(console),
                                                      std::move(frontend)));
}

VelmoraApp::VelmoraApp(Platform platform, std::shared_ptr<RealScheduler> scheduler, WindowModelFactory makeWindowModel,
                       std::shared_ptr<ProcessConsole> console, std::shared_ptr<Frontend> frontend)
    : platform_(std::move(platform)),
      scheduler_(std::move(scheduler)),
      windowModelFactory_(std::move(makeWindowModel)),
      console_(std::move(console)),
      frontend_(frontend ? std::move(frontend) : std::make_shared<HeadlessFrontend>(scheduler_)) {
    platform_.alerts = frontend_->alerts(std::move(platform_.alerts));
    platform_.notifications = frontend_->notifications(std::move(platform_.notifications));
}

std::shared_ptr<SharedSystemMonitor> VelmoraApp::sharedSystemMonitor() {
    if (!systemMonitor_) systemMonitor_ = SharedSystemMonitor::create(platform_);
    return systemMonitor_;
}

std::shared_ptr<RootView> VelmoraApp::makeWindowModel() {
    return windowModelFactory_(platform_, sharedSystemMonitor());
}

void VelmoraApp::launch() {
    auto windows = MainWindowController::create(frontend_->windowHost(),
                                                [weak = weak_from_this()]() -> std::shared_ptr<RootView> {
                                                    auto self = weak.lock();
                                                    return self ? self->makeWindowModel() : nullptr;
                                                });
    delegate_ = AppDelegate::create(platform_, console_, std::move(windows));
    frontend_->setShowWindowAction([weak = std::weak_ptr<AppDelegate>(delegate_)] {
        if (auto delegate = weak.lock()) delegate->showMainWindow();
    });
    frontend_->setApplicationActions(
        [weak = weak_from_this()] {
            if (auto self = weak.lock()) self->terminate();
        },
        [weak = std::weak_ptr<AppDelegate>(delegate_)](bool hasVisibleWindows) {
            if (auto delegate = weak.lock()) delegate->applicationShouldHandleReopen(hasVisibleWindows);
        });
    delegate_->applicationDidFinishLaunching();
    const bool statusItemShown = frontend_->showStatusItem(
        delegate_->statusItem(), [weak = weak_from_this()](StatusMenuAction action) {
            auto self = weak.lock();
            if (!self || !self->delegate_) return;
            switch (action) {
                case StatusMenuAction::showMainWindow: self->delegate_->showMainWindow(); break;
                case StatusMenuAction::toggleAutoStart: self->delegate_->toggleAutoStart(); break;
                case StatusMenuAction::terminate: self->terminate(); break;
            }
        });
    if (frontend_->drawsWindows() && !statusItemShown)
        platform_.diagnostics->line("🖥️ No system tray here: the window stays, without the menu-bar item");
    frontend_->openSceneWindow(makeWindowModel());
    if (!frontend_->drawsWindows()) reportHeavyApplications();
}

void VelmoraApp::reportHeavyApplications() {
    // Nothing draws the monitor's values without a window; a line whenever
    // the set of heavy applications changes stands in for it.
    sharedSystemMonitor()->runningLargeApps.observe(
        [diagnostics = platform_.diagnostics,
         last = std::make_shared<std::vector<std::string>>()](const std::vector<std::string>& apps) {
            if (apps == *last) return;
            *last = apps;
            std::string names;
            for (const auto& app : apps) names += (names.empty() ? "" : ", ") + app;
            diagnostics->line("[system monitor] heavy applications: " + (names.empty() ? std::string("none") : names));
        });
}

void VelmoraApp::terminate() {
    if (terminating_) return;
    terminating_ = true;
    if (delegate_) delegate_->applicationWillTerminate();
    // The stop posts its last state changes (the optimizer's stored power
    // flag among them) to the main queue; the loop ends behind them, so they
    // are written rather than dropped.
    stopWorkPending_ = true;
    scheduler_->asyncMain([weak = weak_from_this()] {
        if (auto self = weak.lock()) {
            self->stopWorkPending_ = false;
            self->frontend_->stopMainLoop();
        }
    });
}

void VelmoraApp::shutDown() {
    // With the queues stopped no queued block holds a manager any longer, so
    // the last references go here, on the main thread.
    scheduler_->shutdown();
    delegate_.reset();
    systemMonitor_.reset();
    // Last: a drawing front end takes its windows, then its toolkit, with it.
    frontend_.reset();
}

int VelmoraApp::run(const LaunchOptions& options, StopSignals& signals) {
    launch();
    const std::weak_ptr<VelmoraApp> weak = weak_from_this();
    auto terminateOnMain = [weak, scheduler = std::weak_ptr<RealScheduler>(scheduler_)] {
        if (auto main = scheduler.lock()) {
            main->asyncMain([weak] {
                if (auto self = weak.lock()) self->terminate();
            });
        }
    };
    signals.watch(terminateOnMain);
    if (options.seconds) scheduler_->asyncMainAfter(*options.seconds, terminateOnMain);
    frontend_->runMainLoop();
    // A quit from the system ends the loop at once, behind the stop's last
    // state changes rather than after them; they are written here.
    if (stopWorkPending_) scheduler_->processDueWork();
    shutDown();
    return 0;
}

}  // namespace velmora
