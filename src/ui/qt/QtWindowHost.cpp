#include "ui/qt/QtWindowHost.h"

#include "ui/qt/QtHostWindow.h"

namespace velmora {

void QtWindowHost::activateIgnoringOtherApps() {
    // Qt activates a window, not an application: showing a window raises and
    // activates it, which is what the caller goes on to do.
}

void QtWindowHost::forgetClosed() {
    std::erase_if(windows_, [](const auto& window) { return window->isClosed(); });
}

std::vector<std::shared_ptr<HostWindow>> QtWindowHost::windows() {
    forgetClosed();
    return {windows_.begin(), windows_.end()};
}

std::shared_ptr<HostWindow> QtWindowHost::makeWindow(const WindowGeometry& geometry) {
    forgetClosed();
    auto window = std::make_shared<QtHostWindow>(geometry, "QtHostWindow", false, showWindow_);
    windows_.push_back(window);
    return window;
}

std::shared_ptr<HostWindow> QtWindowHost::openSceneWindow(std::shared_ptr<RootView> content) {
    forgetClosed();
    auto window = std::make_shared<QtHostWindow>(WindowGeometry{}, "QtHostingWindow", true, showWindow_);
    windows_.push_back(window);
    window->setContent(std::move(content), RootViewSize{});
    // The scene's title; its title bar is hidden on a Mac, so it is not shown
    // there. A window made by the delegate is titled "Velmora".
    window->setTitle("main");
    window->center();
    window->makeKeyAndOrderFront();
    return window;
}

void QtWindowHost::setShowWindowAction(std::function<void()> action) {
    *showWindow_ = std::move(action);
}

}  // namespace velmora
