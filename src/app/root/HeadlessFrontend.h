#pragma once
// No pixels: the windows are plain objects and the scheduler's own loop is
// the main loop.
#include <memory>

#include "app/Frontend.h"
#include "app/root/HeadlessWindowHost.h"
#include "foundation/dispatch/RealScheduler.h"

namespace velmora {

class HeadlessFrontend final : public Frontend {
public:
    explicit HeadlessFrontend(std::shared_ptr<RealScheduler> scheduler) : scheduler_(std::move(scheduler)) {}

    std::shared_ptr<WindowHost> windowHost() override { return host_; }
    void openSceneWindow(std::shared_ptr<RootView> content) override { host_->openSceneWindow(std::move(content)); }
    void setShowWindowAction(std::function<void()>) override {}  // no keyboard
    bool showStatusItem(std::shared_ptr<StatusMenu>, std::function<void(StatusMenuAction)>) override { return false; }
    bool drawsWindows() const override { return false; }
    void runMainLoop() override { scheduler_->run(); }
    void stopMainLoop() override { scheduler_->stop(); }

    const std::shared_ptr<HeadlessWindowHost>& host() const { return host_; }

private:
    std::shared_ptr<RealScheduler> scheduler_;
    std::shared_ptr<HeadlessWindowHost> host_ = std::make_shared<HeadlessWindowHost>();
};

}  // namespace velmora
