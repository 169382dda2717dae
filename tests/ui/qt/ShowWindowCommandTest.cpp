#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ui/qt/ShowWindowCommand.h"

namespace velmora {
namespace {

// The menu bar's File menu holds "Show Window" on Command-N in place of New,
// and choosing it shows the window.
TEST(ShowWindowCommand, FileMenuShowWindowOnCommandN) {
    QMenuBar bar;
    int shown = 0;
    addShowWindowCommand(bar, [&] { ++shown; });
    ASSERT_EQ(bar.actions().size(), 1);
    QMenu* file = bar.actions().first()->menu();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->title(), "File");
    ASSERT_EQ(file->actions().size(), 1);
    QAction* show = file->actions().first();
    EXPECT_EQ(show->text(), "Show Window");
    EXPECT_EQ(show->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    show->trigger();
    EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace velmora
