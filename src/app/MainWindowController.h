#pragma once
// The application delegate's window handling: show the main window (its own,
// even when hidden, else the scene's, else a new one), hide instead of closing
// it, and forget it once it really closes. Main thread only.
#include <functional>
#include <memory>

#include "app/WindowHost.h"

namespace velmora {

class MainWindowController : public WindowCloseDelegate, public std::enable_shared_from_this<MainWindowController> {
public:
    using RootViewFactory = std::function<std::shared_ptr<RootView>()>;

    static std::shared_ptr<MainWindowController> create(std::shared_ptr<WindowHost> host, RootViewFactory makeRootView);

    void showMainWindow();
    void createMainWindow();
    bool windowShouldClose(HostWindow& window) override;
    void windowWillClose(HostWindow& window) override;

    const std::shared_ptr<HostWindow>& mainWindow() const { return mainWindow_; }

private:
    MainWindowController(std::shared_ptr<WindowHost> host, RootViewFactory makeRootView);

    std::shared_ptr<WindowHost> host_;
    RootViewFactory makeRootView_;
    std::shared_ptr<HostWindow> mainWindow_;
};

}  // namespace velmora
