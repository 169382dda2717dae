#include "ui/qt/ApplicationEvents.h"

#include <QApplicationStateChangeEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

namespace velmora {

namespace {

bool anyWindowOnScreen() {
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        // A menu popping up is no window of the program's.
        if (window->isVisible() && window->type() != Qt::Popup && window->type() != Qt::ToolTip) return true;
    }
    return false;
}

}  // namespace

ApplicationEvents::ApplicationEvents(std::function<void()> quit, std::function<void(bool)> reopen,
                                     QObject* application)
    : application_(application ? application : QCoreApplication::instance()),
      quit_(std::move(quit)),
      reopen_(std::move(reopen)) {
    application_->installEventFilter(this);
}

ApplicationEvents::~ApplicationEvents() {
    if (application_) application_->removeEventFilter(this);
}

bool ApplicationEvents::eventFilter(QObject* watched, QEvent* event) {
    if (watched != application_) return false;
    if (event->type() == QEvent::Quit) {
        // The program's own stop ends the loop with a quit too; the stop is
        // made once however often it is asked for.
        if (quit_) quit_();
    } else if (event->type() == QEvent::ApplicationStateChange) {
        const auto* change = static_cast<QApplicationStateChangeEvent*>(event);
        if (change->applicationState() == Qt::ApplicationActive && reopen_) reopen_(anyWindowOnScreen());
    }
    return false;
}

}  // namespace velmora
