#pragma once
// The one dispatch interface every manager uses: the main run loop, serial
// queues, global queues by quality of service, repeating timers, one-shot
// delays, thread sleep and the wall clock. Two implementations exist: real
// time (threads) and virtual time (deterministic, single-threaded, for tests).
#include <functional>
#include <memory>
#include <string>

#include "foundation/Date.h"

namespace velmora {

using Block = std::function<void()>;

enum class QualityOfService { background, utility, defaultQoS, userInitiated, userInteractive };

// A repeating timer on the main run loop. The scheduler keeps a scheduled timer
// alive until it is invalidated, whether or not anybody else holds it; whether
// the timer keeps its target alive is decided by what its block captures
// (a shared_ptr holds strongly, a weak_ptr weakly).
class Timer {
public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
    virtual double interval() const = 0;
};

// Blocks run one at a time, in the order they were queued.
class SerialQueue {
public:
    virtual ~SerialQueue() = default;
    virtual void async(Block block) = 0;
    virtual const std::string& label() const = 0;
    virtual QualityOfService qualityOfService() const = 0;
};

class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Main run loop.
    virtual void asyncMain(Block block) = 0;
    virtual void asyncMainAfter(double seconds, Block block) = 0;
    // Ticks once per interval until invalidated. The first tick comes one
    // interval after scheduling, or, on the real scheduler, at the shared
    // phase of every timer of that period: between half an interval and one
    // and a half intervals after scheduling.
    virtual std::shared_ptr<Timer> scheduleRepeatingTimer(double intervalSeconds, Block tick) = 0;
    virtual bool isMainThread() const = 0;

    // Queues.
    virtual std::shared_ptr<SerialQueue> makeSerialQueue(std::string label, QualityOfService qos) = 0;
    virtual void asyncGlobal(QualityOfService qos, Block block) = 0;
    virtual void asyncGlobalAfter(QualityOfService qos, double seconds, Block block) = 0;

    // Time.
    virtual void sleep(double seconds) = 0;  // blocks the calling thread (virtual: advances the clock)
    virtual Date now() const = 0;
};

}  // namespace velmora
