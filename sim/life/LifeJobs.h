#pragma once
// The background jobs one program instance of the life holds, watched so that
// a kill -9 can be played in-process: once the instance is declared dead,
// nothing it held is ended any more (the jobs run on, as a killed process's
// would), and the exited group leaders it kept are reaped, as the system
// reaps a dead process's children.
#include <sys/types.h>
#include <sys/wait.h>

#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "foundation/process/ProcessLauncher.h"

namespace velmora::life {

class InstanceJobs : public std::enable_shared_from_this<InstanceJobs> {
public:
    std::shared_ptr<BackgroundJobs> watch(std::shared_ptr<BackgroundJobs> inner, pid_t leader);

    void die() {
        std::lock_guard lock(mutex_);
        dead_ = true;
        for (pid_t leader : held_) ::waitpid(leader, nullptr, WNOHANG);
        held_.clear();
    }
    bool dead() const {
        std::lock_guard lock(mutex_);
        return dead_;
    }
    // Leaders of groups still held: their zombies are kept on purpose.
    std::set<pid_t> heldLeaders() const {
        std::lock_guard lock(mutex_);
        return held_;
    }
    void released(pid_t leader) {
        std::lock_guard lock(mutex_);
        held_.erase(leader);
    }

private:
    mutable std::mutex mutex_;
    bool dead_ = false;
    std::set<pid_t> held_;
};

class WatchedJobs final : public BackgroundJobs {
public:
    WatchedJobs(std::shared_ptr<BackgroundJobs> inner, pid_t leader, std::shared_ptr<InstanceJobs> owner)
        : inner_(std::move(inner)), leader_(leader), owner_(std::move(owner)) {}
    ~WatchedJobs() override {
        if (owner_->dead()) {
            // Never ended, never destroyed: a dead process ends nothing.
            static auto* abandoned = new std::vector<std::shared_ptr<BackgroundJobs>>;
            abandoned->push_back(std::move(inner_));
            return;
        }
        inner_.reset();
        owner_->released(leader_);
    }
    void end() override {
        if (owner_->dead()) return;
        inner_->end();
        owner_->released(leader_);
    }

private:
    std::shared_ptr<BackgroundJobs> inner_;
    pid_t leader_;
    std::shared_ptr<InstanceJobs> owner_;
};

inline std::shared_ptr<BackgroundJobs> InstanceJobs::watch(std::shared_ptr<BackgroundJobs> inner, pid_t leader) {
    {
        std::lock_guard lock(mutex_);
        held_.insert(leader);
    }
    return std::make_shared<WatchedJobs>(std::move(inner), leader, shared_from_this());
}

}  // namespace velmora::life
