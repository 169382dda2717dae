#pragma once
// The main thread's run loop as the program's main loop when no window
// toolkit runs it: it carries the scheduler's main queue, and the system
// delivers through it what its services report (the workspace's list of
// running applications changes only while it runs).
#include <atomic>
#include <memory>

namespace velmora {
class RealScheduler;
}

namespace velmora::mac {

class MacMainRunLoop {
public:
    explicit MacMainRunLoop(std::shared_ptr<RealScheduler> scheduler);
    ~MacMainRunLoop();
    MacMainRunLoop(const MacMainRunLoop&) = delete;
    MacMainRunLoop& operator=(const MacMainRunLoop&) = delete;

    // Main thread: runs until stop().
    void run();
    // Any thread.
    void stop();

private:
    struct Wake;
    std::shared_ptr<RealScheduler> scheduler_;
    std::shared_ptr<Wake> wake_;
    std::atomic<bool> stopped_{false};
};

}  // namespace velmora::mac
