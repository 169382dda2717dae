#pragma once
// What the system asks of the application as a whole, as Qt delivers it to
// the application object:
// - a quit from anywhere but the program's own menu (the application menu's
//   Quit and ⌘Q, the Dock menu, logging out) arrives as QEvent::Quit;
// - opening the application again while it runs (its icon in the Finder or
//   the Dock) arrives as a change of the application's state to active:
//   Qt's Cocoa delegate answers applicationShouldHandleReopen by forcing that
//   change through even when the application is already active. The older
//   QEvent::ApplicationActivate is deprecated in Qt 6 and not relied on.
#include <QObject>
#include <QPointer>
#include <functional>

namespace velmora {

class ApplicationEvents final : public QObject {
public:
    // `quit`: the program's one orderly stop. It runs before Qt goes on with
    // the quit, so a quit from the system (logging out) is never refused.
    // `reopen`: told whether any window of the program is on screen.
    // `application`: the object Qt delivers them to (tests give another).
    ApplicationEvents(std::function<void()> quit, std::function<void(bool hasVisibleWindows)> reopen,
                      QObject* application = nullptr);
    ~ApplicationEvents() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QObject> application_;
    std::function<void()> quit_;
    std::function<void(bool)> reopen_;
};

}  // namespace velmora
