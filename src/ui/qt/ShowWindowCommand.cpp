#include "ui/qt/ShowWindowCommand.h"

#include <QAction>
#include <QMenu>

namespace velmora {

void addShowWindowCommand(QMenuBar& bar, std::function<void()> showWindow) {
    QMenu* file = bar.addMenu(QStringLiteral("File"));
    QAction* show = file->addAction(QStringLiteral("Show Window"));
    // Ctrl is Command on a Mac.
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    QObject::connect(show, &QAction::triggered, show, [showWindow = std::move(showWindow)] {
        if (showWindow) showWindow();
    });
}

}  // namespace velmora
