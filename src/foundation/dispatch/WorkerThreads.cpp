#include "foundation/dispatch/WorkerThreads.h"

#include <utility>

namespace velmora {

namespace {

void work(const std::shared_ptr<WorkQueue>& queue) {
    while (auto block = queue->waitAndTake()) {
        WorkQueue::runCatching(*block);
    }
    queue->noteWorkerExited();
}

}  // namespace

WorkerThreads::WorkerThreads(std::shared_ptr<WorkQueue> queue, unsigned count)
    : queue_(std::move(queue)), count_(count == 0 ? 1 : count) {
    threads_.reserve(count_);
    for (unsigned i = 0; i < count_; ++i) threads_.emplace_back([queue = queue_] { work(queue); });
}

WorkerThreads::~WorkerThreads() {
    stop();
}

bool WorkerThreads::finished() const {
    return queue_->exitedWorkers() >= count_;
}

void WorkerThreads::stop() {
    queue_->close();
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        threads.swap(threads_);
    }
    const auto self = std::this_thread::get_id();
    for (auto& thread : threads) {
        if (thread.get_id() == self) {
            thread.detach();
        } else if (thread.joinable()) {
            thread.join();
        }
    }
}

}  // namespace velmora
