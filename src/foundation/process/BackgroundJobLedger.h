#pragma once
// A written record of the background jobs the program holds, so that the jobs
// of a run that died without ending them (a crash, kill -9) are ended by the
// next launch instead of running on beside a new set.
//
// Each process keeps its own file, FOLDER/PID.jobs: the owner (pid and start
// moment), each held group with the members it had when it was recorded, and
// each group whose script is still running (its leader's start moment and the
// run's deadline). A launch ends the groups of every file whose owner is not a
// live process other than itself. A held group is ended only while one of its
// recorded members is still that same process in that same group; a running
// one while its leader is still that same process or, once the leader is
// gone, while a member started within the deadline of it. Either way the
// group has never been empty since, so a pid reused meanwhile is never
// touched. Every change rewrites the file whole
// (temporary file, rename), so a crash leaves the old record or the new one.
//
// A run is put on record before it starts, as a token it carries in its
// environment (and so do the jobs it starts), and confirmed by its group once
// it runs: a death between the start and the confirmation leaves the token,
// and the next launch ends every process that carries it.
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/process/ProcessIdentity.h"
#include "foundation/process/ProcessLauncher.h"

namespace velmora {

// The group of a script that is still running and will keep its jobs.
struct RunningJobGroup {
    std::uint64_t leaderStarted = 0;  // as ProcessIdentity::started
    double deadlineSeconds = 0;
};

class BackgroundJobLedger : public std::enable_shared_from_this<BackgroundJobLedger> {
public:
    static std::shared_ptr<BackgroundJobLedger> create(std::string folder, std::shared_ptr<Diagnostics> diagnostics);

    // Ends the groups left by runs that are gone; returns how many were ended.
    int endLeftovers();
    // Records the group `group` (whose leader has exited) and hands back jobs
    // that drop the record when ended.
    std::shared_ptr<BackgroundJobs> hold(std::shared_ptr<BackgroundJobs> jobs, pid_t group);
    // The variable a run's token is handed to it in.
    static constexpr const char* kTokenVariable = "VELMORA_JOB_TOKEN";
    // A run that will keep its jobs is about to start: on record at once, by
    // the token returned, until recordRunning() or forgetRunning().
    std::string recordStarting();
    // That run has started as the leader of `group`; recorded by its group
    // until hold() or forgetRunning().
    void recordRunning(pid_t group, double deadlineSeconds, const std::string& token);
    // It failed to start.
    void forgetStarting(const std::string& token);
    // That run ended and left nothing to hold.
    void forgetRunning(pid_t group);
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
    std::map<pid_t, RunningJobGroup> running_;
    std::set<std::string> starting_;
    std::uint64_t nextToken_ = 0;
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
