#pragma once
// Lets Qt's event loop be the program's main loop: the scheduler's main queue,
// its delayed blocks and its main-thread timers run from Qt events, so the
// managers see no difference from the plain loop. Work added from any thread
// posts one wake-up to the Qt loop; each wake-up runs one round of due work
// (so Qt's own events are never starved) and arms a timer for the next due
// block.
#include <QObject>
#include <QTimer>
#include <memory>

namespace velmora {

class RealScheduler;

class QtMainLoop : public QObject {
    Q_OBJECT
public:
    // Main thread (the scheduler's and the application's).
    explicit QtMainLoop(std::shared_ptr<RealScheduler> scheduler, QObject* parent = nullptr);
    ~QtMainLoop() override;
    QtMainLoop(const QtMainLoop&) = delete;
    QtMainLoop& operator=(const QtMainLoop&) = delete;

private:
    struct Poster;
    void round();

    std::shared_ptr<RealScheduler> scheduler_;
    std::shared_ptr<Poster> poster_;
    QTimer nextDue_;
};

}  // namespace velmora
