#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QQuickView>

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

}  // namespace
}  // namespace velmora::testing
