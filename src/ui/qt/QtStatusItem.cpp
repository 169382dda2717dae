#include "ui/qt/QtStatusItem.h"

#include <QAction>
#include <QFont>
#include <QPainter>
#include <QPixmap>

#include "ui/qt/SymbolGlyphs.h"

namespace velmora {

QIcon symbolIcon(const QString& symbol, const QColor& color) {
    QIcon icon;
    for (int size : {16, 22, 32, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        QFont font(SymbolGlyphs::fontFamily());
        font.setPixelSize(size);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, SymbolGlyphs::glyph(symbol));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QtStatusItem::QtStatusItem(std::shared_ptr<StatusMenu> model, std::function<void(StatusMenuAction)> perform)
    : model_(std::move(model)) {
    for (const auto& entry : StatusMenu::entries()) {
        if (entry.isSeparator) {
            menu_.addSeparator();
            continue;
        }
        auto* action = menu_.addAction(QString::fromStdString(entry.title));
        if (!entry.keyEquivalent.empty()) {
            const QChar key = QChar::fromLatin1(entry.keyEquivalent[0]).toUpper();
            action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + key));
        }
        const bool isCheck = entry.action == StatusMenuAction::toggleAutoStart;
        if (isCheck) {
            action->setCheckable(true);
            action->setChecked(model_->startAtLoginChecked.get());
            checked_ = model_->startAtLoginChecked.subscribe([action](const bool& on) { action->setChecked(on); });
        }
        QObject::connect(action, &QAction::triggered, &menu_, [this, action, isCheck, perform, which = entry.action] {
            // Qt flips a checkable item by itself; the menu bar's item keeps
            // the state it was given.
            if (isCheck) action->setChecked(model_->startAtLoginChecked.get());
            perform(which);
        });
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    const auto appearance = StatusMenu::appearance();
    tray_ = std::make_unique<QSystemTrayIcon>(symbolIcon(QString::fromStdString(appearance.symbolName), QColor("#007AFF")));
    tray_->setToolTip(QString::fromStdString(appearance.accessibilityDescription));
    tray_->setContextMenu(&menu_);
    // A left click opens the menu too, as the menu-bar item does.
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, &menu_, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) menu_.popup(QCursor::pos());
    });
    tray_->show();
}

QtStatusItem::~QtStatusItem() {
    checked_.reset();
    tray_.reset();
}

}  // namespace velmora
