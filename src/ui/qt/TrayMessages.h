#pragma once
// Notifications where the window runs: each goes to the platform's own centre
// as before (a simulated Mac records it) and, when that centre lets them
// through and a tray icon is shown, also appears as the tray's message.
#include <QSystemTrayIcon>
#include <memory>
#include <mutex>

#include "platform/Notifications.h"

namespace velmora {

// Where tray messages go; set and cleared on the main thread, posted to from any.
class TrayMessages {
public:
    void setTray(QSystemTrayIcon* tray);
    // Any thread: shown on the main thread if a tray is set by then.
    void post(const QString& title, const QString& body);

private:
    std::mutex mutex_;
    QSystemTrayIcon* tray_ = nullptr;
};

class QtTrayNotifications final : public NotificationCenter {
public:
    QtTrayNotifications(std::shared_ptr<NotificationCenter> platform, std::shared_ptr<TrayMessages> tray)
        : platform_(std::move(platform)), tray_(std::move(tray)) {}

    void getAuthorizationStatus(std::function<void(NotificationAuthorization)> completion) override;
    void requestAuthorization(std::function<void(bool, std::optional<std::string>)> completion) override;
    void add(const NotificationRequest& request) override;

private:
    std::shared_ptr<NotificationCenter> platform_;
    std::shared_ptr<TrayMessages> tray_;
};

}  // namespace velmora
