#pragma once
// Threads that take blocks from one WorkQueue: one thread for a serial
// queue, an elastic pool for the global queues. The threads share only the
// queue and the list of threads, never this object, so a thread may outlive
// it once detached.
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/dispatch/WorkQueue.h"

namespace velmora {

class WorkerThreads {
public:
    // A fixed number of threads.
    WorkerThreads(std::shared_ptr<WorkQueue> queue, unsigned count);
    // A pool that keeps `least` threads, starts another whenever work waits
    // while every thread is busy (up to `most`), and lets a thread beyond
    // `least` leave once it has found nothing to do for `idleExit`.
    struct Elastic {
        unsigned least = 4;
        unsigned most = 64;
        WorkQueue::Duration idleExit = std::chrono::seconds(10);
    };
    WorkerThreads(std::shared_ptr<WorkQueue> queue, Elastic elastic);
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    const std::shared_ptr<WorkQueue>& queue() const { return queue_; }
    // Every thread has left its loop (the queue was retired and drained, or closed).
    bool finished() const;
    // Closes the queue (pending work is dropped) and waits for the running
    // blocks to finish. A thread cannot wait for itself: when called from one
    // of these threads, that thread is detached and leaves after its block.
    void stop();

    struct Threads;

private:
    std::shared_ptr<WorkQueue> queue_;
    const unsigned count_;
    std::shared_ptr<Threads> threads_;
};

}  // namespace velmora
