#pragma once
// SIGINT and SIGTERM taken by one thread with sigwait, so the main loop sleeps
// until there is work instead of polling a flag. Construct it before any
// thread starts: the mask it sets is inherited by every thread made later.
#include <functional>
#include <signal.h>
#include <thread>

namespace velmora {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();  // ends the waiting thread if no signal came
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Starts the waiting thread; `onStop` runs on it at the first signal. A
    // second one ends the process at once, for a quit stuck behind a tool
    // that has not reached its deadline yet.
    void watch(std::function<void()> onStop);

private:
    sigset_t set_;
    std::thread waiter_;
};

}  // namespace velmora
