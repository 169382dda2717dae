#include "foundation/process/ChildReaper.h"

#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace velmora {

namespace {

constexpr auto kFirstPollInterval = std::chrono::milliseconds(5);
constexpr auto kLongestPollInterval = std::chrono::milliseconds(200);
// On shutdown, children still running get this long before they are left to
// the system.
constexpr auto kShutdownWait = std::chrono::milliseconds(500);

}  // namespace

ChildReaper::~ChildReaper() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ChildReaper::adopt(pid_t pid) {
    if (pid <= 0) return;
    {
        std::lock_guard lock(mutex_);
        pids_.push_back(pid);
        if (!thread_.joinable()) thread_ = std::thread([this] { loop(); });
    }
    wake_.notify_all();
}

std::size_t ChildReaper::pending() const {
    std::lock_guard lock(mutex_);
    return pids_.size();
}

void ChildReaper::reapFinished() {
    std::erase_if(pids_, [](pid_t pid) {
        int status = 0;
        const pid_t result = ::waitpid(pid, &status, WNOHANG);
        return result == pid || (result < 0 && errno == ECHILD);
    });
}

void ChildReaper::loop() {
    std::unique_lock lock(mutex_);
    auto interval = kFirstPollInterval;
    std::chrono::steady_clock::time_point giveUpAt{};
    while (true) {
        reapFinished();
        if (stopping_) {
            const auto now = std::chrono::steady_clock::now();
            if (giveUpAt == std::chrono::steady_clock::time_point{}) giveUpAt = now + kShutdownWait;
            if (pids_.empty() || now >= giveUpAt) return;
            wake_.wait_for(lock, kFirstPollInterval);
            continue;
        }
        if (pids_.empty()) {
            interval = kFirstPollInterval;
            wake_.wait(lock, [this] { return stopping_ || !pids_.empty(); });
            continue;
        }
        // Short-lived children are the common case; back off for long runners.
        wake_.wait_for(lock, interval);
        interval = std::min(interval * 2, std::chrono::duration_cast<std::chrono::milliseconds>(kLongestPollInterval));
    }
}

}  // namespace velmora
