#include "ui/qt/QtHostWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QQuickView>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include "ui/model/MainWindowModel.h"
#include "ui/qt/MainWindowView.h"
#include "ui/qt/NativeTitleBar.h"

namespace velmora {

QtHostWindow::QtHostWindow(const WindowGeometry& geometry, std::string className, bool contentViewController,
                           std::shared_ptr<std::function<void()>> showWindow)
    : geometry_(geometry),
      className_(std::move(className)),
      contentViewController_(contentViewController),
      showWindow_(std::move(showWindow)) {}

QtHostWindow::~QtHostWindow() {
    if (view_) view_->window().removeEventFilter(this);
}

QQuickView* QtHostWindow::quickWindow() const {
    return view_ ? &view_->window() : nullptr;
}

void QtHostWindow::setContent(std::shared_ptr<RootView> content, const RootViewSize& size) {
    auto model = std::dynamic_pointer_cast<MainWindowModel>(content);
    if (view_) view_->window().removeEventFilter(this);
    view_.reset();
    content_ = std::move(content);
    if (!model) return;  // nothing this host knows how to draw
    view_ = std::make_unique<MainWindowView>(model);
    auto& window = view_->window();
    window.setTitle(QString::fromStdString(title_));
    const int width = static_cast<int>(size.width);
    window.setMinimumSize(QSize(width, static_cast<int>(size.minHeight)));
    window.setMaximumWidth(width);
    window.resize(width, static_cast<int>(std::max(size.idealHeight, geometry_.height)));
    window.setPosition(static_cast<int>(geometry_.x), static_cast<int>(geometry_.y));
    window.installEventFilter(this);
#ifndef Q_OS_MACOS
    // "Show Window": the whole application's shortcut, from any of its
    // windows. A Mac has it as the menu bar's command instead.
    auto* showWindow = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), &window);
    showWindow->setContext(Qt::ApplicationShortcut);
    QObject::connect(showWindow, &QShortcut::activated, this, [action = showWindow_] {
        if (action && *action) (*action)();
    });
#endif
}

void QtHostWindow::setTitle(const std::string& title) {
    title_ = title;
    if (view_) view_->window().setTitle(QString::fromStdString(title));
}

void QtHostWindow::setDelegate(std::weak_ptr<WindowCloseDelegate> delegate) {
    delegate_ = std::move(delegate);
}

void QtHostWindow::center() {
    if (!view_) return;
    auto& window = view_->window();
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window.setPosition(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

void QtHostWindow::show() {
    if (!view_ || isClosed_) return;
    auto& window = view_->window();
    window.show();
#ifdef __APPLE__
    // After show: the native window exists for certain only then.
    hideNativeTitleBar(window);
#endif
    window.raise();
    if (!appeared_) {
        appeared_ = true;
        content_->onAppear();
    }
}

void QtHostWindow::makeKeyAndOrderFront() {
    show();
    if (view_) view_->window().requestActivate();
}

void QtHostWindow::orderFrontRegardless() {
    show();
}

void QtHostWindow::orderOut() {
    if (view_) view_->window().hide();
}

void QtHostWindow::deminiaturize() {
    if (view_ && isMiniaturized()) view_->window().showNormal();
}

bool QtHostWindow::isVisible() const {
    return view_ && !isClosed_ && view_->window().isVisible();
}

bool QtHostWindow::isMiniaturized() const {
    return view_ && (view_->window().windowStates() & Qt::WindowMinimized);
}

bool QtHostWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!view_ || watched != &view_->window() || event->type() != QEvent::Close) return false;
    auto delegate = delegate_.lock();
    if (delegate && !delegate->windowShouldClose(*this)) {
        // The delegate hid it (or wants it kept): the window survives.
        event->ignore();
        return true;
    }
    if (!delegate && contentViewController_) {
        // The scene's window outlives its close button, as a hosting window
        // does on the Mac: it is only hidden, Show Window finds it among the
        // windows and brings it back with the same managers, instead of a
        // second window starting a second set beside ones nobody sees.
        event->ignore();
        view_->window().hide();
        return true;
    }
    if (delegate) delegate->windowWillClose(*this);
    isClosed_ = true;
    // The view (and with it the model and its managers) goes once Qt is done
    // with this event, not inside it.
    QTimer::singleShot(0, this, [this] {
        if (view_) view_->window().removeEventFilter(this);
        view_.reset();
        content_.reset();
    });
    return false;
}

}  // namespace velmora
