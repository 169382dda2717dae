#pragma once
// The window host on Qt: each window is a Qt Quick window drawing a main
// window model. Closing a window asks its delegate first; a window the
// delegate keeps is hidden instead and can be shown again. A window that
// really closes leaves the host's list.
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

private:
    void forgetClosed();
    // Open (shown or hidden) windows, as an application keeps its windows.
    std::vector<std::shared_ptr<QtHostWindow>> windows_;
};

}  // namespace velmora
