#pragma once
// No pixels: the windows are plain objects, and the main loop is the
// scheduler's own unless the host needs another (on a Mac, the main run loop,
// through which the system delivers what its services report).
#include <memory>

#include "app/Frontend.h"
#include "app/root/HeadlessWindowHost.h"
#include "foundation/dispatch/RealScheduler.h"

namespace velmora {

class HeadlessFrontend final : public Frontend {
public:
    // A main loop of the host's: runs the scheduler's main-thread work until stopped.
    struct MainLoop {
        std::function<void()> run;   // main thread
        std::function<void()> stop;  // any thread
    };

    explicit HeadlessFrontend(std::shared_ptr<RealScheduler> scheduler, MainLoop loop = {})
        : scheduler_(std::move(scheduler)), loop_(std::move(loop)) {}

    std::shared_ptr<WindowHost> windowHost() override { return host_; }
    void openSceneWindow(std::shared_ptr<RootView> content) override { host_->openSceneWindow(std::move(content)); }
    void setShowWindowAction(std::function<void()>) override {}  // no keyboard
    bool showStatusItem(std::shared_ptr<StatusMenu>, std::function<void(StatusMenuAction)>) override { return false; }
    bool drawsWindows() const override { return false; }
    void runMainLoop() override { loop_.run ? loop_.run() : scheduler_->run(); }
    void stopMainLoop() override { loop_.stop ? loop_.stop() : scheduler_->stop(); }

    const std::shared_ptr<HeadlessWindowHost>& host() const { return host_; }

private:
    std::shared_ptr<RealScheduler> scheduler_;
    MainLoop loop_;
    std::shared_ptr<HeadlessWindowHost> host_ = std::make_shared<HeadlessWindowHost>();
};

}  // namespace velmora
