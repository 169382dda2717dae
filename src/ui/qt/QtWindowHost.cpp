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
    auto window = std::make_shared<QtHostWindow>(geometry);
    windows_.push_back(window);
    return window;
}

}  // namespace velmora
