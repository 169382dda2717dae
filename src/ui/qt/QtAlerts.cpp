#include "ui/qt/QtAlerts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <vector>

namespace velmora {

std::size_t QtAlerts::runModal(const AlertRequest& request) {
    if (request.buttons.empty()) return 0;
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (application == nullptr || QThread::currentThread() != application->thread())
        return noWidgets_ ? noWidgets_->runModal(request) : 0;

    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Velmora"));
    box.setIcon(QMessageBox::Information);
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(request.messageText));
    box.setInformativeText(QString::fromStdString(request.informativeText));
    std::vector<QPushButton*> buttons;
    for (const auto& title : request.buttons) {
        // A lone "&" would mark a mnemonic instead of showing ("Security & Privacy").
        const QString shown = QString::fromStdString(title).replace(QLatin1Char('&'), QStringLiteral("&&"));
        // One role for all keeps the order given rather than the style's order of roles.
        buttons.push_back(box.addButton(shown, QMessageBox::ActionRole));
    }
    box.setDefaultButton(buttons.front());
    box.setEscapeButton(buttons.back());
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) return i;
    }
    return buttons.size() - 1;
}

}  // namespace velmora
