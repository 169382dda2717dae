#pragma once
// A written record of the background jobs the program holds, so that the jobs
// of a run that died without ending them (a crash, kill -9) are ended by the
// next launch instead of running on beside a new set.
//
// Each process keeps its own file, FOLDER/PID.jobs: the owner (pid and start
// moment), then each held group with the members it had when it was
// recorded. A launch ends the groups of every file whose owner is not a live
// process other than itself; a group is ended only while one of its recorded
// members is still that same process in that same group, so a pid reused
// since then is never touched. Every change rewrites the file whole
// (temporary file, rename), so a crash leaves the old record or the new one.
#include <sys/types.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/process/ProcessIdentity.h"
#include "foundation/process/ProcessLauncher.h"

namespace velmora {

class BackgroundJobLedger : public std::enable_shared_from_this<BackgroundJobLedger> {
public:
    static std::shared_ptr<BackgroundJobLedger> create(std::string folder, std::shared_ptr<Diagnostics> diagnostics);

    // Ends the groups left by runs that are gone; returns how many were ended.
    int endLeftovers();
    // Records the group `group` (whose leader has exited) and hands back jobs
    // that drop the record when ended.
    std::shared_ptr<BackgroundJobs> hold(std::shared_ptr<BackgroundJobs> jobs, pid_t group);
    std::string filePath() const;

private:
    BackgroundJobLedger(std::string folder, std::shared_ptr<Diagnostics> diagnostics);
    void forget(pid_t group);
    void write();  // with mutex_ held

    std::string folder_;
    std::shared_ptr<Diagnostics> diagnostics_;
    ProcessIdentity self_;
    std::mutex mutex_;
    std::map<pid_t, std::vector<ProcessIdentity>> groups_;
};

// Records the jobs of every run that keeps them.
class LedgerLauncher final : public ProcessLauncher {
public:
    LedgerLauncher(std::shared_ptr<ProcessLauncher> inner, std::shared_ptr<BackgroundJobLedger> ledger)
        : inner_(std::move(inner)), ledger_(std::move(ledger)) {}
    RunResult run(const RunSpec& request) override;

private:
    std::shared_ptr<ProcessLauncher> inner_;
    std::shared_ptr<BackgroundJobLedger> ledger_;
};

}  // namespace velmora
