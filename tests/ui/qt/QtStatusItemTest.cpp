#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetrics>
#include <QImage>

#include "ui/qt/QtStatusItem.h"

namespace velmora::testing {
namespace {

TEST(QtStatusItem, TheMenuItsCheckAndItsActions) {
    auto model = StatusMenu::create();
    std::vector<StatusMenuAction> performed;
    QtStatusItem item(model, [&](StatusMenuAction action) { performed.push_back(action); });
    EXPECT_FALSE(item.isShown());  // offscreen: no tray host

    struct Row { QString text; bool separator; QKeySequence key; bool checkable; };
    const std::vector<Row> expected = {{"Show Window", false, {}, false},
                                       {"", true, {}, false},
                                       {"Start at Login", false, {}, true},
                                       {"", true, {}, false},
                                       {"Quit", false, QKeySequence(Qt::CTRL | Qt::Key_Q), false}};
    const auto actions = item.menu().actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actions[i]->text(), expected[i].text) << i;
        EXPECT_EQ(actions[i]->isSeparator(), expected[i].separator) << i;
        EXPECT_EQ(actions[i]->shortcut(), expected[i].key) << i;
        EXPECT_EQ(actions[i]->isCheckable(), expected[i].checkable) << i;
    }

    // The check arrives with the login-item answer and is not flipped by a
    // click; each click is handed on.
    auto* startAtLogin = actions[2];
    EXPECT_FALSE(startAtLogin->isChecked());
    model->startAtLoginChecked.set(true);
    EXPECT_TRUE(startAtLogin->isChecked());
    startAtLogin->trigger();
    EXPECT_TRUE(startAtLogin->isChecked());
    actions[0]->trigger();
    actions[4]->trigger();
    const std::vector<StatusMenuAction> clicks = {StatusMenuAction::toggleAutoStart, StatusMenuAction::showMainWindow,
                                                  StatusMenuAction::terminate};
    EXPECT_EQ(performed, clicks);

    // The tray's symbol is drawn, not an empty square.
    const QImage icon = symbolIcon("externaldrive", Qt::black).pixmap(32, 32).toImage();
    int inked = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) inked += qAlpha(icon.pixel(x, y)) > 0;
    EXPECT_GT(inked, 30);
}

}  // namespace
}  // namespace velmora::testing
