#include "ui/qt/TimedApplication.h"

#include <QThread>
#include <chrono>

#include "foundation/dispatch/RealScheduler.h"

namespace velmora {

TimedApplication::TimedApplication(int& argc, char** argv, std::shared_ptr<RealScheduler> scheduler)
    : QApplication(argc, argv), scheduler_(std::move(scheduler)) {}

bool TimedApplication::notify(QObject* receiver, QEvent* event) {
    // Other threads' event loops (the scene graph's, QML's workers) deliver
    // through here too; only the main loop's events are timed.
    if (QThread::currentThread() != thread()) return QApplication::notify(receiver, event);
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(++d) {}
        ~Depth() { --depth; }
    } nested(depth_);
    if (depth_ > 1) return QApplication::notify(receiver, event);
    const auto started = std::chrono::steady_clock::now();
    const bool handled = QApplication::notify(receiver, event);
    scheduler_->noteMainBlock(std::chrono::steady_clock::now() - started);
    return handled;
}

}  // namespace velmora
