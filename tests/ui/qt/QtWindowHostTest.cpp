#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QQuickView>
#include <QShortcut>

#include "app/MainWindowController.h"
#include "support/TestPlatform.h"
#include "ui/model/MainWindowModel.h"
#include "ui/qt/QtHostWindow.h"
#include "ui/qt/QtWindowHost.h"

namespace velmora::testing {
namespace {

TEST(QtWindowHost, CloseHidesTheMainWindowAndShowWindowBringsTheSameOneBack) {
    TestPlatform tp;
    auto host = std::make_shared<QtWindowHost>();
    int models = 0;
    auto controller = MainWindowController::create(host, [&] {
        ++models;
        return MainWindowModel::create(tp.platform(), nullptr);
    });
    controller->showMainWindow();
    auto main = std::dynamic_pointer_cast<QtHostWindow>(controller->mainWindow());
    ASSERT_TRUE(main && main->quickWindow());
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->quickWindow()->title(), "Velmora");
    EXPECT_EQ(main->quickWindow()->width(), 720);
    EXPECT_EQ(main->quickWindow()->minimumHeight(), 780);

    EXPECT_FALSE(main->quickWindow()->close());  // kept
    EXPECT_FALSE(main->isVisible());
    controller->showMainWindow();
    EXPECT_EQ(controller->mainWindow(), main);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(models, 1);

    // A window that is not the delegate's main window really closes and
    // leaves the host; its view goes once the close event is over.
    auto other = host->makeWindow(WindowGeometry{});
    other->setContent(MainWindowModel::create(tp.platform(), nullptr), RootViewSize{});
    other->setDelegate(controller);
    other->makeKeyAndOrderFront();
    auto otherQt = std::dynamic_pointer_cast<QtHostWindow>(other);
    EXPECT_TRUE(otherQt->quickWindow()->close());
    EXPECT_FALSE(other->isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(otherQt->quickWindow(), nullptr);
    EXPECT_EQ(host->windows().size(), 1u);
    EXPECT_EQ(controller->mainWindow(), main);
}

TEST(QtWindowHost, TheScenesWindowIsAHostingWindowWithShowWindowOnCtrlN) {
    TestPlatform tp;
    QtWindowHost host;
    int shown = 0;
    host.setShowWindowAction([&] { ++shown; });
    auto model = MainWindowModel::create(tp.platform(), nullptr);
    auto scene = std::dynamic_pointer_cast<QtHostWindow>(host.openSceneWindow(model));
    ASSERT_TRUE(scene && scene->quickWindow());
    EXPECT_TRUE(scene->isVisible());
    EXPECT_NE(scene->className().find("HostingWindow"), std::string::npos);
    EXPECT_EQ(scene->quickWindow()->title(), "main");
    EXPECT_EQ(model->isRefreshing.get(), false);
    tp.scheduler->advance(0.6);  // appeared: the automatic refresh has begun
    EXPECT_EQ(model->refreshingMessage.get(), "Auto Refreshing");

    auto* shortcut = scene->quickWindow()->findChild<QShortcut*>();
    ASSERT_NE(shortcut, nullptr);
    EXPECT_EQ(shortcut->key(), QKeySequence(Qt::CTRL | Qt::Key_N));
    emit shortcut->activated();
    EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace velmora::testing
