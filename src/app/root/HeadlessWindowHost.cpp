#include "app/root/HeadlessWindowHost.h"

namespace velmora {

void HeadlessWindow::setContent(std::shared_ptr<RootView> content, const RootViewSize&) {
    content_ = std::move(content);
    appeared_ = false;
}

void HeadlessWindow::show() {
    visible_ = true;
    if (appeared_ || !content_) return;
    appeared_ = true;
    content_->onAppear();
}

std::shared_ptr<HostWindow> HeadlessWindowHost::makeWindow(const WindowGeometry&) {
    auto window = std::make_shared<HeadlessWindow>("NSWindow");
    windows_.push_back(window);
    return window;
}

std::shared_ptr<HostWindow> HeadlessWindowHost::openSceneWindow(std::shared_ptr<RootView> content) {
    // The scene's window is a hosting window with a content view controller,
    // which is how the delegate recognises it.
    auto window = std::make_shared<HeadlessWindow>("SwiftUI.AppKitWindow", true);
    window->setContent(std::move(content), RootViewSize{});
    window->setTitle("main");  // the scene's title, as on the Qt host
    windows_.push_back(window);
    window->makeKeyAndOrderFront();
    return window;
}

bool HeadlessWindowHost::hasVisibleWindows() const {
    for (const auto& window : windows_) {
        if (window->isVisible()) return true;
    }
    return false;
}

}  // namespace velmora
