#include "ui/qt/QtFrontend.h"

#include <QIcon>

#include "app/NotificationPath.h"
#include "foundation/dispatch/RealScheduler.h"
#include "ui/qt/ApplicationEvents.h"
#include "ui/qt/MainWindowView.h"
#include "ui/qt/QtAlerts.h"
#include "ui/qt/QtMainLoop.h"
#include "ui/qt/QtStatusItem.h"
#include "ui/qt/Theme.h"
#include "ui/qt/TrayMessages.h"
#include "ui/qt/QtWindowHost.h"
#include "ui/qt/ShowWindowCommand.h"
#include "ui/qt/TimedApplication.h"

namespace velmora {

std::shared_ptr<Frontend> makeWindowFrontend(int& argc, char** argv, std::shared_ptr<RealScheduler> scheduler,
                                             std::string& whyNot) {
#if !defined(Q_OS_MACOS) && !defined(Q_OS_WIN)
    // Without a display QApplication would end the process; say so instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        whyNot = "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
        return nullptr;
    }
#endif
    auto frontend = std::make_shared<QtFrontend>(argc, argv, std::move(scheduler));
    if (const QString problem = contentLoadProblem(); !problem.isEmpty()) {
        whyNot = "the window's QML does not load: " + problem.toStdString();
        return nullptr;
    }
    return frontend;
}

QtFrontend::QtFrontend(int& argc, char** argv, std::shared_ptr<RealScheduler> scheduler) {
    chooseSceneGraphBackend();
    application_ = std::make_unique<TimedApplication>(argc, argv, scheduler);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmora/AppIconImage.svg")));
    QApplication::setQuitOnLastWindowClosed(false);
    applyFixedAppearanceToWidgets();
    loop_ = std::make_unique<QtMainLoop>(std::move(scheduler));
    host_ = std::make_shared<QtWindowHost>();
    trayMessages_ = std::make_shared<TrayMessages>();
}

QtFrontend::~QtFrontend() {
    // Windows and the tray before the loop, the loop before the application;
    // no message is posted to a tray on its way out.
    trayMessages_->setTray(nullptr);
    applicationEvents_.reset();
    menuBar_.reset();
    statusItem_.reset();
    host_.reset();
    loop_.reset();
    application_.reset();
}

std::shared_ptr<WindowHost> QtFrontend::windowHost() {
    return host_;
}

void QtFrontend::openSceneWindow(std::shared_ptr<RootView> content) {
    host_->openSceneWindow(std::move(content));
}

void QtFrontend::setShowWindowAction(std::function<void()> action) {
#ifdef Q_OS_MACOS
    // The menu bar carries Command-N there; the windows' own shortcut would
    // make the key ambiguous.
    menuBar_ = std::make_unique<QMenuBar>(nullptr);
    addShowWindowCommand(*menuBar_, action);
#endif
    host_->setShowWindowAction(std::move(action));
}

void QtFrontend::setApplicationActions(std::function<void()> quit, std::function<void(bool)> reopen) {
#ifndef Q_OS_MACOS
    // Only a Mac reopens a running application (its Dock icon, the Finder);
    // elsewhere becoming active is only focus moving, to a tray menu say,
    // which must not bring the hidden window back.
    reopen = nullptr;
#endif
    applicationEvents_ = std::make_unique<ApplicationEvents>(std::move(quit), std::move(reopen));
}

bool QtFrontend::showStatusItem(std::shared_ptr<StatusMenu> menu, std::function<void(StatusMenuAction)> perform) {
    trayMessages_->setTray(nullptr);
    statusItem_ = std::make_unique<QtStatusItem>(std::move(menu), std::move(perform));
    trayMessages_->setTray(statusItem_->tray());
    return statusItem_->isShown();
}

std::shared_ptr<Alerts> QtFrontend::alerts(std::shared_ptr<Alerts> platformAlerts) {
    return std::make_shared<QtAlerts>(std::move(platformAlerts));
}

std::shared_ptr<NotificationCenter> QtFrontend::notifications(std::shared_ptr<NotificationCenter> platformCenter) {
    return std::make_shared<NotificationPath>(std::move(platformCenter),
                                              [tray = trayMessages_](const NotificationRequest& request) {
                                                  tray->post(QString::fromStdString(request.title),
                                                             QString::fromStdString(request.body));
                                              });
}

void QtFrontend::runMainLoop() {
    QApplication::exec();
}

void QtFrontend::stopMainLoop() {
    QApplication::quit();
}

}  // namespace velmora
