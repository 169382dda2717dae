#pragma once
// The status menu drawn by Qt: a tray icon with the "externaldrive" symbol
// and the menu's items in order. "Start at Login" shows the check the menu
// model publishes (it arrives after the login-item query) and keeps it when
// clicked, as the menu bar's own item does; the click itself is the
// delegate's. Where no tray host runs the menu still exists but nothing
// shows it.
#include <QMenu>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "app/StatusMenu.h"

namespace velmora {

class QtStatusItem {
public:
    // Main thread, with a QApplication.
    QtStatusItem(std::shared_ptr<StatusMenu> model, std::function<void(StatusMenuAction)> perform);
    ~QtStatusItem();

    bool isShown() const { return tray_ != nullptr; }
    QMenu& menu() { return menu_; }
    // Null where no tray host runs.
    QSystemTrayIcon* tray() const { return tray_.get(); }

private:
    std::shared_ptr<StatusMenu> model_;
    QMenu menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    Subscription checked_;
};

// The symbol drawn with the icon font, for the tray and for tests.
QIcon symbolIcon(const QString& symbol, const QColor& color);

}  // namespace velmora
