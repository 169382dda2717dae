#include "ui/qt/QtAlerts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace velmora {

std::size_t QtAlerts::runModal(const AlertRequest& request) {
    if (request.buttons.empty() || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return 0;
    QMessageBox box;
    box.setIcon(QMessageBox::Information);
    box.setText(QString::fromStdString(request.messageText));
    box.setInformativeText(QString::fromStdString(request.informativeText));
    std::vector<QAbstractButton*> buttons;
    for (const auto& title : request.buttons) {
        buttons.push_back(box.addButton(QString::fromStdString(title), QMessageBox::AcceptRole));
    }
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) return i;
    }
    return 0;  // closed without a button: as Return would
}

}  // namespace velmora
