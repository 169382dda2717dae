#pragma once
// Windows without pixels: each is a plain object that remembers its content,
// title and visibility. A window's content appears the first time the window
// is brought to the front, as it would on a screen.
#include <memory>
#include <string>
#include <vector>

#include "app/WindowHost.h"

namespace velmora {

class HeadlessWindow final : public HostWindow {
public:
    explicit HeadlessWindow(std::string className, bool contentViewController = false)
        : className_(std::move(className)), contentViewController_(contentViewController) {}

    void setContent(std::shared_ptr<RootView> content, const RootViewSize& size) override;
    void setTitle(const std::string& title) override { title_ = title; }
    void setDelegate(std::weak_ptr<WindowCloseDelegate> delegate) override { delegate_ = std::move(delegate); }
    void center() override {}
    void makeKeyAndOrderFront() override { show(); }
    void orderFrontRegardless() override { show(); }
    void orderOut() override { visible_ = false; }
    void deminiaturize() override {}
    bool isVisible() const override { return visible_; }
    bool isMiniaturized() const override { return false; }
    std::string className() const override { return className_; }
    bool hasContentViewController() const override { return contentViewController_; }

    const std::shared_ptr<RootView>& content() const { return content_; }
    const std::string& title() const { return title_; }

private:
    void show();

    std::string className_;
    bool contentViewController_;
    std::shared_ptr<RootView> content_;
    std::string title_;
    std::weak_ptr<WindowCloseDelegate> delegate_;
    bool visible_ = false;
    bool appeared_ = false;
};

class HeadlessWindowHost final : public WindowHost {
public:
    void activateIgnoringOtherApps() override {}
    std::vector<std::shared_ptr<HostWindow>> windows() override { return windows_; }
    std::shared_ptr<HostWindow> makeWindow(const WindowGeometry& geometry) override;

    // The scene's own window, open and showing `content`.
    std::shared_ptr<HostWindow> openSceneWindow(std::shared_ptr<RootView> content);
    bool hasVisibleWindows() const;

private:
    std::vector<std::shared_ptr<HostWindow>> windows_;
};

}  // namespace velmora
