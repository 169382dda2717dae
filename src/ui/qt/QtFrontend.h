#pragma once
// The program on Qt: QApplication (Widgets, for the tray menu and message
// boxes), Qt's event loop driving the scheduler's main queue, and windows
// drawn with Qt Quick. The program keeps running when its last window
// closes, as a menu-bar application does.
#include <QApplication>
#include <QMenuBar>
#include <memory>

#include "app/Frontend.h"

namespace velmora {

class ApplicationEvents;
class QtMainLoop;
class QtStatusItem;
class QtWindowHost;
class TrayMessages;

class QtFrontend final : public Frontend {
public:
    // Main thread, before any window; picks the renderer first.
    QtFrontend(int& argc, char** argv, std::shared_ptr<RealScheduler> scheduler);
    ~QtFrontend() override;

    std::shared_ptr<WindowHost> windowHost() override;
    void openSceneWindow(std::shared_ptr<RootView> content) override;
    void setShowWindowAction(std::function<void()> action) override;
    void setApplicationActions(std::function<void()> quit, std::function<void(bool)> reopen) override;
    bool showStatusItem(std::shared_ptr<StatusMenu> menu, std::function<void(StatusMenuAction)> perform) override;
    std::shared_ptr<Alerts> alerts(std::shared_ptr<Alerts> platformAlerts) override;
    std::shared_ptr<NotificationCenter> notifications(std::shared_ptr<NotificationCenter> platformCenter) override;
    bool drawsWindows() const override { return true; }
    void runMainLoop() override;
    void stopMainLoop() override;

private:
    std::unique_ptr<QApplication> application_;
    std::unique_ptr<QtMainLoop> loop_;
    std::unique_ptr<ApplicationEvents> applicationEvents_;
    std::unique_ptr<QMenuBar> menuBar_;  // a Mac's only
    std::shared_ptr<QtWindowHost> host_;
    std::unique_ptr<QtStatusItem> statusItem_;
    std::shared_ptr<TrayMessages> trayMessages_;
};

}  // namespace velmora
