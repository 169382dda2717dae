#include "foundation/dispatch/WorkerThreads.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace velmora {

struct WorkerThreads::Threads {
    std::mutex mutex;
    std::vector<std::thread> running;
    bool stopped = false;
    bool elastic = false;  // threads leave on their own when idle

    // Starts one more thread on `queue`; false once stopped or when the
    // system refuses another thread.
    bool start(const std::shared_ptr<WorkQueue>& queue, const std::shared_ptr<Threads>& self) {
        std::lock_guard lock(mutex);
        if (stopped) return false;
        try {
            std::weak_ptr<Threads> owner;
            if (elastic) owner = self;
            running.emplace_back([queue, owner] { work(queue, owner); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    static void work(const std::shared_ptr<WorkQueue>& queue, const std::weak_ptr<Threads>& threads) {
        while (auto block = queue->waitAndTake()) {
            WorkQueue::runCatching(*block);
            block.reset();
            queue->noteBlockDone();
        }
        queue->noteWorkerExited();
        // A thread that leaves an elastic pool while it goes on lets go of
        // its own handle: nobody needs to wait for an idle thread.
        if (auto owner = threads.lock()) owner->release(std::this_thread::get_id());
    }

    void release(std::thread::id id) {
        std::lock_guard lock(mutex);
        if (stopped) return;  // stop() joins it
        const auto it = std::find_if(running.begin(), running.end(), [id](const auto& t) { return t.get_id() == id; });
        if (it == running.end()) return;
        it->detach();
        running.erase(it);
    }
};

WorkerThreads::WorkerThreads(std::shared_ptr<WorkQueue> queue, unsigned count)
    : queue_(std::move(queue)), count_(count == 0 ? 1 : count), threads_(std::make_shared<Threads>()) {
    for (unsigned i = 0; i < count_; ++i) threads_->start(queue_, threads_);
}

WorkerThreads::WorkerThreads(std::shared_ptr<WorkQueue> queue, Elastic elastic)
    : queue_(std::move(queue)), count_(std::max(elastic.least, 1u)), threads_(std::make_shared<Threads>()) {
    threads_->elastic = true;
    queue_->makeElastic(count_, elastic.most, elastic.idleExit,
                        [queue = std::weak_ptr<WorkQueue>(queue_), threads = std::weak_ptr<Threads>(threads_)] {
                            auto strongQueue = queue.lock();
                            auto strongThreads = threads.lock();
                            if (!strongQueue) return;
                            if (!strongThreads || !strongThreads->start(strongQueue, strongThreads)) {
                                strongQueue->workerNotStarted();
                            }
                        });
    for (unsigned i = 0; i < count_; ++i) threads_->start(queue_, threads_);
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
        std::lock_guard lock(threads_->mutex);
        threads_->stopped = true;
        threads.swap(threads_->running);
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
