#pragma once
// The window host on Qt: each window is a Qt Quick window drawing a main
// window model. Closing a window asks its delegate first; a window the
// delegate keeps is hidden instead and can be shown again. A window that
// really closes leaves the host's list.
#include <functional>
#include <memory>
#include <vector>

#include "app/WindowHost.h"

namespace velmora {

class QtHostWindow;

class QtWindowHost : public WindowHost {
public:
    void activateIgnoringOtherApps() override;
    std::vector<std::shared_ptr<HostWindow>> windows() override;
    std::shared_ptr<HostWindow> makeWindow(const WindowGeometry& geometry) override;

    // The scene's own window, open, shown and showing `content`; the delegate
    // recognises it as a hosting window.
    std::shared_ptr<HostWindow> openSceneWindow(std::shared_ptr<RootView> content);
    // Ctrl+N (⌘N on a Mac) in any of the windows, made before or after.
    void setShowWindowAction(std::function<void()> action);

private:
    void forgetClosed();
    // Open (shown or hidden) windows, as an application keeps its windows.
    std::vector<std::shared_ptr<QtHostWindow>> windows_;
    std::shared_ptr<std::function<void()>> showWindow_ = std::make_shared<std::function<void()>>();
};

}  // namespace velmora
