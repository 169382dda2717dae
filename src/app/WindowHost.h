#pragma once
// What the window logic needs of a windowing system: the application's
// windows, activation, and new windows showing a root view. A Qt host draws
// them; the headless program and the tests keep them as plain objects.
#include <memory>
#include <string>
#include <vector>

namespace velmora {

// The content of a main window: the model a view draws.
class RootView {
public:
    virtual ~RootView() = default;
    // The window showing it appeared (main thread); the host calls it the
    // first time the window is shown.
    virtual void onAppear() {}
};

class HostWindow;

// Told by the host when the user closes a window whose delegate it is.
class WindowCloseDelegate {
public:
    virtual ~WindowCloseDelegate() = default;
    virtual bool windowShouldClose(HostWindow& window) = 0;  // false keeps the window
    virtual void windowWillClose(HostWindow& window) = 0;
};

struct WindowGeometry {
    double x = 0, y = 0, width = 720, height = 780;  // content rectangle, points
    bool titled = true, closable = true, miniaturizable = true, resizable = true;
    bool buffered = true;
    bool deferred = false;
};

// Size constraints of a root view inside its window.
struct RootViewSize {
    double width = 720;                    // minimum, ideal and maximum
    double minHeight = 780, idealHeight = 780;  // no maximum
};

class HostWindow {
public:
    virtual ~HostWindow() = default;
    virtual void setContent(std::shared_ptr<RootView> content, const RootViewSize& size) = 0;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setDelegate(std::weak_ptr<WindowCloseDelegate> delegate) = 0;
    virtual void center() = 0;
    virtual void makeKeyAndOrderFront() = 0;
    virtual void orderFrontRegardless() = 0;
    virtual void orderOut() = 0;
    virtual void deminiaturize() = 0;
    virtual bool isVisible() const = 0;
    virtual bool isMiniaturized() const = 0;
    virtual std::string className() const = 0;
    virtual bool hasContentViewController() const = 0;
};

class WindowHost {
public:
    virtual ~WindowHost() = default;
    virtual void activateIgnoringOtherApps() = 0;
    // The application's windows, in the system's order.
    virtual std::vector<std::shared_ptr<HostWindow>> windows() = 0;
    virtual std::shared_ptr<HostWindow> makeWindow(const WindowGeometry& geometry) = 0;
};

}  // namespace velmora
