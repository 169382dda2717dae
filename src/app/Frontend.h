#pragma once
// What the program runs on: a window host, the scene's window opened at
// launch, the "Show Window" key, the status item, and the main loop. Headless, windows are
// plain objects and the scheduler runs its own loop; with a display, a
// toolkit draws the windows and its event loop is the main loop.
#include <functional>
#include <memory>
#include <string>

#include "app/NotificationPath.h"
#include "app/StatusMenu.h"
#include "app/WindowHost.h"
#include "platform/Alerts.h"
#include "platform/Notifications.h"

namespace velmora {

class RealScheduler;

class Frontend {
public:
    virtual ~Frontend() = default;
    virtual std::shared_ptr<WindowHost> windowHost() = 0;
    // The scene's window, open, shown and showing `content`.
    virtual void openSceneWindow(std::shared_ptr<RootView> content) = 0;
    // What "Show Window" (Ctrl+N, ⌘N on a Mac) does.
    virtual void setShowWindowAction(std::function<void()> action) = 0;
    // What the system's own requests do: a quit from anywhere but the status
    // menu, and the application opened again while it runs. A front end that
    // receives no such requests keeps neither.
    virtual void setApplicationActions(std::function<void()> /*quit*/,
                                       std::function<void(bool hasVisibleWindows)> /*reopen*/) {}
    // The status item with `menu`'s items, each chosen item handed to
    // `perform`; whether a person can see it (a tray may be missing).
    virtual bool showStatusItem(std::shared_ptr<StatusMenu> menu, std::function<void(StatusMenuAction)> perform) = 0;
    // The alerts the program shows, given the platform's own: a front end
    // that draws puts them in front of the person, the rest keep the platform's.
    virtual std::shared_ptr<Alerts> alerts(std::shared_ptr<Alerts> platformAlerts) { return platformAlerts; }
    // The notification centre, given the platform's: a front end with a tray
    // shows notifications there when the platform's cannot be used; one
    // without shows none then, and says so.
    virtual std::shared_ptr<NotificationCenter> notifications(std::shared_ptr<NotificationCenter> platformCenter) {
        return std::make_shared<NotificationPath>(std::move(platformCenter), nullptr);
    }
    // Whether a person sees the windows.
    virtual bool drawsWindows() const = 0;
    // Main thread: runs the main loop until stopMainLoop(), which may come
    // from a block the loop runs.
    virtual void runMainLoop() = 0;
    virtual void stopMainLoop() = 0;
};

// A front end that draws windows, made on the main thread before any window
// and after the stop signals are set up. Null when this build draws none or
// no display is there; `whyNot` then says which.
std::shared_ptr<Frontend> makeWindowFrontend(int& argc, char** argv, std::shared_ptr<RealScheduler> scheduler,
                                             std::string& whyNot);

}  // namespace velmora
