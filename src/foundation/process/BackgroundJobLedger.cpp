#include "foundation/process/BackgroundJobLedger.h"

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace velmora {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSuffix = ".jobs";

struct Record {
    ProcessIdentity owner;
    std::map<pid_t, std::vector<ProcessIdentity>> groups;
};

// Lines: "owner PID START", then "member GROUP PID START". A line that does
// not read whole is skipped.
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
        // A script that left nothing running needs no record.
        if (!members.empty()) {
            groups_[group] = std::move(members);
            write();
        }
    }
    return std::make_shared<LedgeredJobs>(std::move(jobs), [weak = weak_from_this(), group] {
        if (auto ledger = weak.lock()) ledger->forget(group);
    });
}

void BackgroundJobLedger::forget(pid_t group) {
    std::lock_guard lock(mutex_);
    if (groups_.erase(group) > 0) write();
}

void BackgroundJobLedger::write() {
    std::error_code error;
    fs::create_directories(folder_, error);
    const std::string path = filePath();
    if (groups_.empty()) {
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
    RunResult result = inner_->run(request);
    if (request.keepJobs && result.jobs) result.jobs = ledger_->hold(std::move(result.jobs), result.pid);
    return result;
}

}  // namespace velmora
