#pragma once
// The composition root: the program's one scene. It creates the process-wide
// system monitor, the application delegate with its group and, through a
// factory, a window model for every main window; it runs the main loop until
// the application's terminate action (the status menu's Quit, SIGINT, SIGTERM
// or the end of --seconds) and shuts everything down in one place.
#include <functional>
#include <memory>

#include "app/AppDelegate.h"
#include "app/ConsoleFiltering.h"
#include "app/Frontend.h"
#include "app/root/LaunchOptions.h"
#include "app/root/StopSignals.h"
#include "foundation/dispatch/RealScheduler.h"
#include "platform/Platform.h"
#include "system/SharedSystemMonitor.h"

namespace velmora {

class VelmoraApp : public std::enable_shared_from_this<VelmoraApp> {
public:
    // One window's model, given the platform and the process-wide monitor.
    using WindowModelFactory = std::function<std::shared_ptr<RootView>(Platform, std::shared_ptr<SharedSystemMonitor>)>;

    // `platform.scheduler` is `scheduler`. The factory makes what each main
    // window shows (the host passes the window model, which sits above this
    // layer); without a front end the windows are headless.
    static std::shared_ptr<VelmoraApp> create(
        Platform platform, std::shared_ptr<RealScheduler> scheduler, WindowModelFactory makeWindowModel,
        std::shared_ptr<ProcessConsole> console = std::make_shared<PosixProcessConsole>(),
        std::shared_ptr<Frontend> frontend = nullptr);

    // Launches, runs the main loop until terminated, shuts down; the exit status.
    int run(const LaunchOptions& options, StopSignals& signals);

    // Main thread. The delegate's launch, then the scene's window opens with
    // a window model (headless, as if it were on screen).
    void launch();
    // Main thread: the application's terminate action, whatever asked for it
    // (the status menu's Quit, the application menu, ⌘Q, logging out, a
    // signal). The delegate stops its services, then the main loop ends.
    // Later calls do nothing.
    void terminate();
    // After the main loop: the queues stop, then every object is released on
    // this thread (a window model ends its stabilizer's watchdog as it goes).
    void shutDown();

    const std::shared_ptr<AppDelegate>& appDelegate() const { return delegate_; }
    // Made on first use, as the window models ask for it.
    std::shared_ptr<SharedSystemMonitor> sharedSystemMonitor();

private:
    VelmoraApp(Platform platform, std::shared_ptr<RealScheduler> scheduler, WindowModelFactory makeWindowModel,
               std::shared_ptr<ProcessConsole> console, std::shared_ptr<Frontend> frontend);
    std::shared_ptr<RootView> makeWindowModel();
    void reportHeavyApplications();

    Platform platform_;
    std::shared_ptr<RealScheduler> scheduler_;
    WindowModelFactory windowModelFactory_;
    std::shared_ptr<ProcessConsole> console_;
    std::shared_ptr<Frontend> frontend_;
    std::shared_ptr<SharedSystemMonitor> systemMonitor_;
    std::shared_ptr<AppDelegate> delegate_;
    bool terminating_ = false;
    bool stopWorkPending_ = false;
};

}  // namespace velmora
