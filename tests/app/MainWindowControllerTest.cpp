#include "app/MainWindowController.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

struct FakeWindow final : HostWindow {
    std::string kind = "NSWindow";
    bool controller = false;
    bool visible = false, miniaturized = false;
    std::shared_ptr<RootView> content;
    std::string title;
    std::weak_ptr<WindowCloseDelegate> delegate;
    int frontCount = 0;

    void setContent(std::shared_ptr<RootView> c, const RootViewSize&) override { content = std::move(c); }
    void setTitle(const std::string& t) override { title = t; }
    void setDelegate(std::weak_ptr<WindowCloseDelegate> d) override { delegate = std::move(d); }
    void center() override {}
    void makeKeyAndOrderFront() override {
        visible = true;
        ++frontCount;
    }
    void orderFrontRegardless() override { visible = true; }
    void orderOut() override { visible = false; }
    void deminiaturize() override { miniaturized = false; }
    bool isVisible() const override { return visible; }
    bool isMiniaturized() const override { return miniaturized; }
    std::string className() const override { return kind; }
    bool hasContentViewController() const override { return controller; }

    // What the windowing system does when the user clicks the close button.
    void userCloses() {
        auto d = delegate.lock();
        if (d && !d->windowShouldClose(*this)) return;
        if (d) d->windowWillClose(*this);
        visible = false;
    }
};

struct FakeHost final : WindowHost {
    std::vector<std::shared_ptr<HostWindow>> all;
    int activations = 0;
    void activateIgnoringOtherApps() override { ++activations; }
    std::vector<std::shared_ptr<HostWindow>> windows() override { return all; }
    std::shared_ptr<HostWindow> makeWindow(const WindowGeometry& geometry) override {
        EXPECT_EQ(geometry.width, 720);
        EXPECT_EQ(geometry.height, 780);
        auto window = std::make_shared<FakeWindow>();
        all.push_back(window);
        return window;
    }
};

struct MainWindowControllerTest : ::testing::Test {
    std::shared_ptr<FakeHost> host = std::make_shared<FakeHost>();
    int rootViews = 0;
    std::shared_ptr<MainWindowController> controller = MainWindowController::create(host, [this] {
        ++rootViews;
        return std::make_shared<RootView>();
    });
    FakeWindow& main() { return static_cast<FakeWindow&>(*controller->mainWindow()); }
};

TEST_F(MainWindowControllerTest, ClosingHidesAndShowingBringsTheSameWindowBack) {
    controller->showMainWindow();
    ASSERT_TRUE(controller->mainWindow());
    EXPECT_EQ(rootViews, 1);
    EXPECT_EQ(main().title, "Velmora");
    EXPECT_TRUE(main().visible);
    auto first = controller->mainWindow();

    main().userCloses();
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(controller->mainWindow(), first);

    controller->showMainWindow();
    EXPECT_EQ(controller->mainWindow(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(rootViews, 1);
    EXPECT_EQ(host->all.size(), 1u);
}

TEST_F(MainWindowControllerTest, PrefersTheScenesWindowAndCreatesOtherwise) {
    auto plain = std::make_shared<FakeWindow>();
    auto scene = std::make_shared<FakeWindow>();
    scene->kind = "SwiftUI.AppKitWindow";
    scene->controller = true;
    scene->miniaturized = true;
    host->all = {plain, scene};
    controller->showMainWindow();
    EXPECT_TRUE(scene->visible);
    EXPECT_FALSE(scene->miniaturized);
    EXPECT_FALSE(plain->visible);
    EXPECT_FALSE(controller->mainWindow());
    EXPECT_EQ(rootViews, 0);

    host->all = {plain};
    controller->showMainWindow();
    EXPECT_EQ(rootViews, 1);
    EXPECT_EQ(host->all.size(), 2u);
    EXPECT_GE(host->activations, 3);
}

TEST_F(MainWindowControllerTest, OnlyTheMainWindowIsKeptAndARealCloseForgetsIt) {
    auto other = std::make_shared<FakeWindow>();
    EXPECT_TRUE(controller->windowShouldClose(*other));
    controller->createMainWindow();
    EXPECT_TRUE(controller->windowShouldClose(*other));
    controller->windowWillClose(*other);
    ASSERT_TRUE(controller->mainWindow());
    EXPECT_FALSE(controller->windowShouldClose(main()));
    controller->windowWillClose(main());
    EXPECT_FALSE(controller->mainWindow());
}

}  // namespace
}  // namespace velmora
