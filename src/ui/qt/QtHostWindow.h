#pragma once
// One window of the Qt window host: a Qt Quick window whose content is the
// view of a main window model, told of its appearance the first time the
// window is shown.
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "app/WindowHost.h"

class QQuickView;

namespace velmora {

class MainWindowView;

class QtHostWindow : public HostWindow, public QObject {
public:
    // `showWindow`: what Ctrl+N in this window does (shared by the host's
    // windows, set later).
    QtHostWindow(const WindowGeometry& geometry, std::string className, bool contentViewController,
                 std::shared_ptr<std::function<void()>> showWindow);
    ~QtHostWindow() override;

    void setContent(std::shared_ptr<RootView> content, const RootViewSize& size) override;
    void setTitle(const std::string& title) override;
    void setDelegate(std::weak_ptr<WindowCloseDelegate> delegate) override;
    void center() override;
    void makeKeyAndOrderFront() override;
    void orderFrontRegardless() override;
    void orderOut() override;
    void deminiaturize() override;
    bool isVisible() const override;
    bool isMiniaturized() const override;
    std::string className() const override { return className_; }
    bool hasContentViewController() const override { return contentViewController_; }

    // The Qt window, once content is set (tests, screenshots).
    QQuickView* quickWindow() const;
    // Really closed: its view and model are released and it is not shown again.
    bool isClosed() const { return isClosed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show();

    WindowGeometry geometry_;
    std::string className_;
    bool contentViewController_;
    std::shared_ptr<std::function<void()>> showWindow_;
    std::string title_ = "Velmora";
    std::weak_ptr<WindowCloseDelegate> delegate_;
    std::shared_ptr<RootView> content_;
    std::unique_ptr<MainWindowView> view_;
    bool appeared_ = false;
    bool isClosed_ = false;
};

}  // namespace velmora
