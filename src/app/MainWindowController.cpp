#include "app/MainWindowController.h"

namespace velmora {

namespace {

void bringToFront(HostWindow& window) {
    window.makeKeyAndOrderFront();
    window.orderFrontRegardless();
    if (window.isMiniaturized()) window.deminiaturize();
}

}  // namespace

std::shared_ptr<MainWindowController> MainWindowController::create(std::shared_ptr<WindowHost> host,
                                                                   RootViewFactory makeRootView) {
    return std::shared_ptr<MainWindowController>(new MainWindowController(std::move(host), std::move(makeRootView)));
}

MainWindowController::MainWindowController(std::shared_ptr<WindowHost> host, RootViewFactory makeRootView)
    : host_(std::move(host)), makeRootView_(std::move(makeRootView)) {}

void MainWindowController::showMainWindow() {
    host_->activateIgnoringOtherApps();
    // A hidden main window is brought back too: it is the one the close button
    // ordered out, and replacing it would leave its managers running unseen.
    if (mainWindow_) {
        bringToFront(*mainWindow_);
        return;
    }
    for (const auto& window : host_->windows()) {
        if (window->className().find("HostingWindow") != std::string::npos || window->hasContentViewController()) {
            bringToFront(*window);
            return;
        }
    }
    createMainWindow();
}

void MainWindowController::createMainWindow() {
    auto root = makeRootView_ ? makeRootView_() : nullptr;
    auto window = host_->makeWindow(WindowGeometry{});
    window->setContent(std::move(root), RootViewSize{});
    window->setTitle("Velmora");
    window->center();
    window->makeKeyAndOrderFront();
    window->orderFrontRegardless();
    mainWindow_ = window;
    window->setDelegate(weak_from_this());
    host_->activateIgnoringOtherApps();
}

bool MainWindowController::windowShouldClose(HostWindow& window) {
    if (mainWindow_ && mainWindow_.get() == &window) {
        window.orderOut();
        return false;
    }
    return true;
}

void MainWindowController::windowWillClose(HostWindow& window) {
    if (mainWindow_ && mainWindow_.get() == &window) mainWindow_.reset();
}

}  // namespace velmora
