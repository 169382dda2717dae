#include "ui/qt/TrayMessages.h"

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

}  // namespace velmora
