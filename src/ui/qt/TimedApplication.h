#pragma once
// The application whose outermost event deliveries count on the scheduler's
// stall meter: the window's own work (bindings, layout, drawing) holds the
// main loop as surely as a queued block does, and a stall meter that saw
// only the blocks would miss it.
#include <QApplication>
#include <memory>

namespace velmora {

class RealScheduler;

class TimedApplication final : public QApplication {
public:
    TimedApplication(int& argc, char** argv, std::shared_ptr<RealScheduler> scheduler);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::shared_ptr<RealScheduler> scheduler_;
    int depth_ = 0;  // events delivered inside another's handling count with it
};

}  // namespace velmora
