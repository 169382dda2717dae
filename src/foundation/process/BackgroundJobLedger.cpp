#include "foundation/process/BackgroundJobLedger.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace velmora {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSuffix = ".jobs";

struct Record {
    ProcessIdentity owner;
    std::map<pid_t, std::vector<ProcessIdentity>> groups;
    std::map<pid_t, RunningJobGroup> running;
    std::set<std::string> starting;
};

// Lines: "owner PID START", then "member GROUP PID START", "running GROUP
// START DEADLINE" and "starting TOKEN". A line that does not read whole is
// skipped.
Record readRecord(const fs::path& path) {
    Record record;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string kind;
        long group = 0;
        long pid = 0;
        std::uint64_t started = 0;
        fields >> kind;
        if (kind == "owner" && fields >> pid >> started) {
            record.owner = {static_cast<pid_t>(pid), 0, started};
        } else if (kind == "member" && fields >> group >> pid >> started && group > 0) {
            record.groups[static_cast<pid_t>(group)].push_back(
                {static_cast<pid_t>(pid), static_cast<pid_t>(group), started});
        } else if (RunningJobGroup run; kind == "running" && fields >> group >> run.leaderStarted >> run.deadlineSeconds && group > 0) {
            record.running[static_cast<pid_t>(group)] = run;
        } else if (std::string token; kind == "starting" && fields >> token) {
            record.starting.insert(token);
        }
    }
    return record;
}

bool ownerAlive(const ProcessIdentity& owner) {
    const auto now = identifyProcess(owner.pid);
    return now && now->started == owner.started;
}

// The group still holds one of the processes recorded in it.
bool stillOurs(pid_t group, const std::vector<ProcessIdentity>& members) {
    for (const auto& member : members) {
        const auto now = identifyProcess(member.pid);
        if (now && now->sameProcess(member) && now->group == group) return true;
    }
    return false;
}

// The script was still running when its owner died, and may have gone on to
// start jobs that were never held.
bool stillOurs(pid_t group, const RunningJobGroup& run) {
    if (const auto leader = identifyProcess(group)) return leader->started == run.leaderStarted && leader->group == group;
    const auto window = static_cast<std::uint64_t>(std::max(run.deadlineSeconds, 0.0) *
                                                   static_cast<double>(startUnitsPerSecond())) + 1;
    for (const auto& member : processGroupMembers(group)) {
        if (member.started >= run.leaderStarted && member.started - run.leaderStarted <= window) return true;
    }
    return false;
}

// Ends the groups of the processes that carry a run's token: the token is
// ours alone, so whatever carries it was started by that run. Never our own
// group, which a carrier could only share by leaving its run's group.
int endCarriers(const std::string& token) {
    const std::string entry = std::string(BackgroundJobLedger::kTokenVariable) + "=" + token;
    const pid_t ownGroup = ::getpgrp();
    std::set<pid_t> groups;
    for (const auto& carrier : processesWithEnvironmentEntry(entry)) {
        if (carrier.pid == ::getpid()) continue;
        if (carrier.group > 0 && carrier.group != ownGroup) {
            groups.insert(carrier.group);
        } else {
            ::kill(carrier.pid, SIGKILL);
        }
    }
    int ended = 0;
    for (pid_t group : groups) {
        if (::kill(-group, SIGKILL) == 0) ++ended;
    }
    return ended;
}

class LedgeredJobs final : public BackgroundJobs {
public:
    LedgeredJobs(std::shared_ptr<BackgroundJobs> inner, std::function<void()> forget)
        : inner_(std::move(inner)), forget_(std::move(forget)) {}
    ~LedgeredJobs() override { end(); }
    void end() override {
        std::call_once(ended_, [this] {
            inner_->end();
            forget_();
        });
    }

private:
    std::shared_ptr<BackgroundJobs> inner_;
    std::function<void()> forget_;
    std::once_flag ended_;
};

}  // namespace

std::shared_ptr<BackgroundJobLedger> BackgroundJobLedger::create(std::string folder,
                                                                 std::shared_ptr<Diagnostics> diagnostics) {
    return std::shared_ptr<BackgroundJobLedger>(new BackgroundJobLedger(std::move(folder), std::move(diagnostics)));
}

BackgroundJobLedger::BackgroundJobLedger(std::string folder, std::shared_ptr<Diagnostics> diagnostics)
    : folder_(std::move(folder)), diagnostics_(std::move(diagnostics)) {
    const auto self = identifyProcess(::getpid());
    self_ = self ? *self : ProcessIdentity{::getpid(), 0, 0};
}

std::string BackgroundJobLedger::filePath() const { return folder_ + "/" + std::to_string(self_.pid) + kSuffix; }

int BackgroundJobLedger::endLeftovers() {
    std::lock_guard lock(mutex_);
    int ended = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder_, error)) {
        const fs::path path = entry.path();
        if (path.extension() != kSuffix) continue;
        const Record record = readRecord(path);
        // Our own file can only be from an earlier run: this one has recorded nothing yet.
        const bool mine = record.owner.sameProcess(self_);
        if (!mine && ownerAlive(record.owner)) continue;
        for (const auto& [group, members] : record.groups) {
            if (!stillOurs(group, members)) continue;
            if (::kill(-group, SIGKILL) == 0) ++ended;
        }
        for (const auto& [group, run] : record.running) {
            if (!stillOurs(group, run)) continue;
            if (::kill(-group, SIGKILL) == 0) ++ended;
        }
        for (const auto& token : record.starting) ended += endCarriers(token);
        fs::remove(path, error);
    }
    if (ended > 0)
        diagnostics_->line("🧹 Önceki çalışmadan kalan " + std::to_string(ended) + " arka plan işi sonlandırıldı");
    return ended;
}

std::shared_ptr<BackgroundJobs> BackgroundJobLedger::hold(std::shared_ptr<BackgroundJobs> jobs, pid_t group) {
    if (!jobs) return jobs;
    {
        std::lock_guard lock(mutex_);
        auto members = processGroupMembers(group);
        const bool wasRunning = running_.erase(group) > 0;
        const bool leftJobs = !members.empty();
        // A script that left nothing running needs no record.
        if (leftJobs) groups_[group] = std::move(members);
        if (wasRunning || leftJobs) write();
    }
    return std::make_shared<LedgeredJobs>(std::move(jobs), [weak = weak_from_this(), group] {
        if (auto ledger = weak.lock()) ledger->forget(group);
    });
}

std::string BackgroundJobLedger::recordStarting() {
    std::lock_guard lock(mutex_);
    // Unique among runs: this process's own identity and a count.
    std::string token = std::to_string(self_.pid) + "-" + std::to_string(self_.started) + "-" + std::to_string(++nextToken_);
    starting_.insert(token);
    write();
    return token;
}

void BackgroundJobLedger::recordRunning(pid_t group, double deadlineSeconds, const std::string& token) {
    const auto leader = identifyProcess(group);
    std::lock_guard lock(mutex_);
    starting_.erase(token);
    // A leader that has already exited leaves its group to hold(), which
    // follows at once.
    if (leader) running_[group] = {leader->started, deadlineSeconds};
    write();
}

void BackgroundJobLedger::forgetStarting(const std::string& token) {
    std::lock_guard lock(mutex_);
    if (starting_.erase(token) > 0) write();
}

void BackgroundJobLedger::forgetRunning(pid_t group) {
    std::lock_guard lock(mutex_);
    if (running_.erase(group) > 0) write();
}

void BackgroundJobLedger::forget(pid_t group) {
    std::lock_guard lock(mutex_);
    if (groups_.erase(group) > 0) write();
}

void BackgroundJobLedger::write() {
    std::error_code error;
    fs::create_directories(folder_, error);
    const std::string path = filePath();
    if (groups_.empty() && running_.empty() && starting_.empty()) {
        fs::remove(path, error);
        return;
    }
    const std::string temporary = folder_ + "/." + std::to_string(self_.pid) + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << "owner " << self_.pid << ' ' << self_.started << '\n';
        for (const auto& [group, members] : groups_) {
            for (const auto& member : members) file << "member " << group << ' ' << member.pid << ' ' << member.started << '\n';
        }
        for (const auto& [group, run] : running_)
            file << "running " << group << ' ' << run.leaderStarted << ' ' << run.deadlineSeconds << '\n';
        for (const auto& token : starting_) file << "starting " << token << '\n';
        file.flush();
        if (!file) {
            diagnostics_->line("❌ Arka plan işleri kaydedilemedi: " + path);
            fs::remove(temporary, error);
            return;
        }
    }
    fs::rename(temporary, path, error);
    if (error) diagnostics_->line("❌ Arka plan işleri kaydedilemedi: " + path + ": " + error.message());
}

RunResult LedgerLauncher::run(const RunSpec& request) {
    if (!request.keepJobs) return inner_->run(request);
    RunSpec recorded = request;
    const std::string token = ledger_->recordStarting();
    recorded.environment[BackgroundJobLedger::kTokenVariable] = token;
    bool confirmed = false;
    recorded.started = [&confirmed, &token, ledger = ledger_, also = request.started](int pid, double deadlineSeconds) {
        ledger->recordRunning(pid, deadlineSeconds, token);
        confirmed = true;
        if (also) also(pid, deadlineSeconds);
    };
    RunResult result = inner_->run(recorded);
    if (!confirmed) ledger_->forgetStarting(token);
    if (result.jobs) {
        result.jobs = ledger_->hold(std::move(result.jobs), result.pid);
    } else if (result.pid > 0) {
        ledger_->forgetRunning(result.pid);
    }
    return result;
}

}  // namespace velmora
