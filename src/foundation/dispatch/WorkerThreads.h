#pragma once
// Threads that take blocks from one WorkQueue: one thread for a serial
// queue, a few for the global pool. The threads share only the queue, never
// this object, so a thread may outlive it once detached.
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/dispatch/WorkQueue.h"

namespace velmora {

class WorkerThreads {
public:
    WorkerThreads(std::shared_ptr<WorkQueue> queue, unsigned count);
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

private:
    std::shared_ptr<WorkQueue> queue_;
    const unsigned count_;
    std::mutex mutex_;
    std::vector<std::thread> threads_;
};

}  // namespace velmora
