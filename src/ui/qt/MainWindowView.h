#pragma once
// The main window's QML content over a window model: the adapter, the
// symbol glyphs, the theme's colours and ContentView from the resources, in a Qt Quick window of
// the content's size (720 points wide, at least 780 high).
#include <QQmlEngine>
#include <QQuickView>
#include <memory>

#include "ui/qt/MainWindowAdapter.h"
#include "ui/qt/SymbolGlyphs.h"
#include "ui/qt/Theme.h"

namespace velmora {

class MainWindowModel;

class MainWindowView {
public:
    static constexpr int width = 720;
    static constexpr int minimumHeight = 780;

    // Main thread. Loads the content at once; `errors()` lists what failed.
    explicit MainWindowView(std::shared_ptr<MainWindowModel> model);
    ~MainWindowView();
    MainWindowView(const MainWindowView&) = delete;
    MainWindowView& operator=(const MainWindowView&) = delete;

    QQuickView& window() { return *window_; }
    MainWindowAdapter& adapter() { return *adapter_; }
    QQuickItem* content() const;
    QStringList errors() const;

private:
    std::unique_ptr<MainWindowAdapter> adapter_;
    SymbolGlyphs symbols_;
    Theme theme_;
    std::unique_ptr<QQuickView> window_;
};

// What keeps the window's QML from loading (a missing QML module, a broken
// file), as one line; empty when it loads. Main thread, with the application
// made. Standard error is not seen once the program runs, so the program asks
// this before it commits to a window.
QString contentLoadProblem(const QUrl& url = QUrl(QStringLiteral("qrc:/velmora/ContentView.qml")));

// Qt Quick's software renderer where no GPU is present (a virtual display,
// most virtual machines): it draws rectangles, gradients and images, all the
// window uses, at a third of the memory of a software-emulated OpenGL. Call
// before the first window is made.
void chooseSceneGraphBackend();

}  // namespace velmora
