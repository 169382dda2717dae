#pragma once
// The menu-bar item's own messages: where notifications go when the system's
// notification centre cannot be used by this process.
#include <QString>
#include <QSystemTrayIcon>
#include <mutex>

namespace velmora {

// Set and cleared on the main thread, posted to from any.
class TrayMessages {
public:
    void setTray(QSystemTrayIcon* tray);
    // Any thread: shown on the main thread if a tray is set by then.
    void post(const QString& title, const QString& body);

private:
    std::mutex mutex_;
    QSystemTrayIcon* tray_ = nullptr;
};

}  // namespace velmora
