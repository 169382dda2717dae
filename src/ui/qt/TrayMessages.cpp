#include "ui/qt/QtTrayNotifications.h"

namespace velmora {

void TrayMessages::setTray(QSystemTrayIcon* tray) {
    std::lock_guard lock(mutex_);
    tray_ = tray;
}

void TrayMessages::post(const QString& title, const QString& body) {
    // Under the lock the tray cannot go away between the check and the post;
    // a tray deleted before the posted call runs takes the call with it.
    std::lock_guard lock(mutex_);
    if (!tray_) return;
    QMetaObject::invokeMethod(
        tray_, [tray = tray_, title, body] { tray->showMessage(title, body); }, Qt::QueuedConnection);
}

void QtTrayNotifications::getAuthorizationStatus(std::function<void(NotificationAuthorization)> completion) {
    platform_->getAuthorizationStatus(std::move(completion));
}

void QtTrayNotifications::requestAuthorization(std::function<void(bool, std::optional<std::string>)> completion) {
    platform_->requestAuthorization(std::move(completion));
}

void QtTrayNotifications::add(const NotificationRequest& request) {
    platform_->add(request);
    // Shown only where the platform would show it: a person who has not
    // allowed notifications gets none on the tray either.
    platform_->getAuthorizationStatus([tray = tray_, title = QString::fromStdString(request.title),
                                       body = QString::fromStdString(request.body)](NotificationAuthorization status) {
        if (status == NotificationAuthorization::authorized || status == NotificationAuthorization::provisional ||
            status == NotificationAuthorization::ephemeral)
            tray->post(title, body);
    });
}

}  // namespace velmora
